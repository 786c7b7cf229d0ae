// The seat of the Wayland display: pointer, keyboard and touch events go to
// the pane whose surface they concern. Keys are read with the compositor's
// keymap; keys already held when the keyboard arrives (wl_keyboard.enter)
// are no presses of ours, and neither is the pointer's arrival.
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>

#include "platform/wayland/wayland_display.h"
#include "platform/wayland/wayland_listeners.h"

namespace gm::wl {

struct SeatEvents {
    static Display& of(void* data) { return *static_cast<Display*>(data); }

    static void capabilities(void* data, wl_seat*, std::uint32_t caps) {
        of(data).seatCapabilities(caps);
    }
    static void name(void*, wl_seat*, const char*) {}

    // --- wl_pointer ------------------------------------------------------------
    static void pointerEnter(void* data, wl_pointer*, std::uint32_t serial, wl_surface* surface,
                             wl_fixed_t x, wl_fixed_t y) {
        Display& d = of(data);
        d.pointerSerial_ = serial;
        d.pointerFocus_ = d.targetOf(surface);
        d.applyCursor();
        if (d.pointerFocus_)
            d.pointerFocus_->pointerEnter(serial, wl_fixed_to_double(x), wl_fixed_to_double(y));
    }
    static void pointerLeave(void* data, wl_pointer*, std::uint32_t, wl_surface*) {
        of(data).pointerFocus_ = nullptr;
    }
    static void pointerMotion(void* data, wl_pointer*, std::uint32_t, wl_fixed_t x, wl_fixed_t y) {
        if (InputTarget* t = of(data).pointerFocus_)
            t->pointerMotion(wl_fixed_to_double(x), wl_fixed_to_double(y));
    }
    static void pointerButton(void* data, wl_pointer*, std::uint32_t, std::uint32_t,
                              std::uint32_t button, std::uint32_t state) {
        InputTarget* t = of(data).pointerFocus_;
        if (t && state == WL_POINTER_BUTTON_STATE_PRESSED) t->pointerButton(button);
    }
    static void pointerAxis(void* data, wl_pointer*, std::uint32_t, std::uint32_t,
                            wl_fixed_t value) {
        InputTarget* t = of(data).pointerFocus_;
        if (t && value != 0) t->pointerWheel();
    }
    static void pointerFrame(void*, wl_pointer*) {}
    static void pointerAxisSource(void*, wl_pointer*, std::uint32_t) {}
    static void pointerAxisStop(void*, wl_pointer*, std::uint32_t, std::uint32_t) {}
    static void pointerAxisDiscrete(void*, wl_pointer*, std::uint32_t, std::int32_t) {}

    // --- wl_keyboard -----------------------------------------------------------
    static void keyboardKeymap(void* data, wl_keyboard*, std::uint32_t format, int fd,
                               std::uint32_t size) {
        if (format == WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1) of(data).keymap(fd, size);
        close(fd);
    }
    static void keyboardEnter(void* data, wl_keyboard*, std::uint32_t, wl_surface* surface,
                              wl_array*) {
        Display& d = of(data);
        d.keyboardFocus_ = d.targetOf(surface);
        if (d.keyboardFocus_) d.keyboardFocus_->keyboardFocus(true);
    }
    static void keyboardLeave(void* data, wl_keyboard*, std::uint32_t, wl_surface*) {
        Display& d = of(data);
        if (d.keyboardFocus_) d.keyboardFocus_->keyboardFocus(false);
        d.keyboardFocus_ = nullptr;
    }
    static void keyboardKey(void* data, wl_keyboard*, std::uint32_t, std::uint32_t,
                            std::uint32_t key, std::uint32_t state) {
        Display& d = of(data);
        if (state != WL_KEYBOARD_KEY_STATE_PRESSED || !d.keyboardFocus_) return;
        // Evdev codes are 8 below the keymap's key codes.
        const xkb_keycode_t code = key + 8;
        const xkb_keysym_t sym =
            d.keyState_ ? xkb_state_key_get_one_sym(d.keyState_, code) : XKB_KEY_NoSymbol;
        const std::uint32_t character =
            d.keyState_ ? xkb_state_key_get_utf32(d.keyState_, code) : 0;
        d.keyboardFocus_->keyDown(sym, character);
    }
    static void keyboardModifiers(void* data, wl_keyboard*, std::uint32_t, std::uint32_t depressed,
                                  std::uint32_t latched, std::uint32_t locked,
                                  std::uint32_t group) {
        Display& d = of(data);
        if (d.keyState_)
            xkb_state_update_mask(d.keyState_, depressed, latched, locked, 0, 0, group);
    }
    static void keyboardRepeat(void*, wl_keyboard*, std::int32_t, std::int32_t) {}

    // --- wl_touch ----------------------------------------------------------------
    static void touchDown(void* data, wl_touch*, std::uint32_t, std::uint32_t, wl_surface* surface,
                          std::int32_t id, wl_fixed_t x, wl_fixed_t y) {
        Display& d = of(data);
        InputTarget* t = d.targetOf(surface);
        if (!t) return;
        d.touches_.emplace_back(id, t);
        t->touchDown(wl_fixed_to_double(x), wl_fixed_to_double(y));
    }
    static void touchUp(void* data, wl_touch*, std::uint32_t, std::uint32_t, std::int32_t id) {
        std::erase_if(of(data).touches_, [&](const auto& t) { return t.first == id; });
    }
    static void touchMotion(void* data, wl_touch*, std::uint32_t, std::int32_t id, wl_fixed_t x,
                            wl_fixed_t y) {
        for (const auto& [touch, target] : of(data).touches_)
            if (touch == id) target->touchMotion(wl_fixed_to_double(x), wl_fixed_to_double(y));
    }
    static void touchFrame(void*, wl_touch*) {}
    static void touchCancel(void* data, wl_touch*) { of(data).touches_.clear(); }
};

namespace {
const wl_pointer_listener kPointerListener = {
    SeatEvents::pointerEnter,        SeatEvents::pointerLeave,
    SeatEvents::pointerMotion,       SeatEvents::pointerButton,
    SeatEvents::pointerAxis,         SeatEvents::pointerFrame,
    SeatEvents::pointerAxisSource,   SeatEvents::pointerAxisStop,
    SeatEvents::pointerAxisDiscrete, nullptr};
const wl_keyboard_listener kKeyboardListener = {
    SeatEvents::keyboardKeymap, SeatEvents::keyboardEnter,     SeatEvents::keyboardLeave,
    SeatEvents::keyboardKey,    SeatEvents::keyboardModifiers, SeatEvents::keyboardRepeat};
const wl_touch_listener kTouchListener = {SeatEvents::touchDown,
                                          SeatEvents::touchUp,
                                          SeatEvents::touchMotion,
                                          SeatEvents::touchFrame,
                                          SeatEvents::touchCancel,
                                          nullptr,
                                          nullptr};
}  // namespace

const wl_seat_listener Listeners::kSeatListener = {SeatEvents::capabilities, SeatEvents::name};

// A device that goes takes its object with it; one that comes (a new
// pointer, keyboard or touch screen on the seat) gets one.
void Display::seatCapabilities(std::uint32_t caps) {
    const bool pointer = caps & WL_SEAT_CAPABILITY_POINTER;
    const bool keyboard = caps & WL_SEAT_CAPABILITY_KEYBOARD;
    const bool touch = caps & WL_SEAT_CAPABILITY_TOUCH;
    if (pointer && !pointer_) {
        pointer_ = wl_seat_get_pointer(seat_);
        wl_pointer_add_listener(pointer_, &kPointerListener, this);
    } else if (!pointer && pointer_) {
        wl_pointer_release(pointer_);
        pointer_ = nullptr;
        pointerFocus_ = nullptr;
    }
    if (keyboard && !keyboard_) {
        keyboard_ = wl_seat_get_keyboard(seat_);
        wl_keyboard_add_listener(keyboard_, &kKeyboardListener, this);
    } else if (!keyboard && keyboard_) {
        wl_keyboard_release(keyboard_);
        keyboard_ = nullptr;
        keyboardFocus_ = nullptr;
    }
    if (touch && !touch_) {
        touch_ = wl_seat_get_touch(seat_);
        wl_touch_add_listener(touch_, &kTouchListener, this);
    } else if (!touch && touch_) {
        wl_touch_release(touch_);
        touch_ = nullptr;
        touches_.clear();
    }
}

void Display::keymap(int fd, std::uint32_t size) {
    void* text = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
    if (text == MAP_FAILED) return;
    xkb_keymap* map =
        xkb_keymap_new_from_string(xkb_, static_cast<const char*>(text), XKB_KEYMAP_FORMAT_TEXT_V1,
                                   XKB_KEYMAP_COMPILE_NO_FLAGS);
    munmap(text, size);
    if (!map) return;
    if (keyState_) xkb_state_unref(keyState_);
    if (keymap_) xkb_keymap_unref(keymap_);
    keymap_ = map;
    keyState_ = xkb_state_new(map);
}

void Display::setTarget(wl_surface* surface, InputTarget* target) {
    std::erase_if(targets_, [&](const auto& t) { return t.first == surface; });
    if (target) {
        targets_.emplace_back(surface, target);
        return;
    }
    // A surface that goes takes its input focus with it.
    const auto gone = [&](InputTarget* t) {
        return std::none_of(targets_.begin(), targets_.end(),
                            [&](const auto& known) { return known.second == t; });
    };
    if (pointerFocus_ && gone(pointerFocus_)) pointerFocus_ = nullptr;
    if (keyboardFocus_ && gone(keyboardFocus_)) keyboardFocus_ = nullptr;
    std::erase_if(touches_, [&](const auto& t) { return gone(t.second); });
}

InputTarget* Display::targetOf(wl_surface* surface) const {
    for (const auto& [s, t] : targets_)
        if (s == surface) return t;
    return nullptr;
}

void Display::setCursorHidden(bool hidden) {
    cursorHidden_ = hidden;
    applyCursor();
}

// A null cursor surface hides the pointer; with none set the compositor
// keeps showing the image it had.
void Display::applyCursor() {
    if (pointer_ && pointerFocus_ && cursorHidden_)
        wl_pointer_set_cursor(pointer_, pointerSerial_, nullptr, 0, 0);
}

}  // namespace gm::wl
