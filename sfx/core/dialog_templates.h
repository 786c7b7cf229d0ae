// The Windows stub's two dialog templates, built while compiling as the
// bytes of a DLGTEMPLATE (font "MS Sans Serif" 8 pt, texts in UTF-16): the
// main dialog, which follows the texts in the compressed string-table block,
// and the password dialog, which is a compressed stream of its own.
//
// Positions and sizes are dialog units. The main dialog's title is set at
// run time, so its template carries none.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "sfx/core/codepage.h"

namespace gm::sfx {

// Control ids of the main dialog and of the password dialog.
enum DialogId : uint16_t {
    kIdSetup = 1,  // IDOK
    kIdClose = 2,  // IDCANCEL
    kIdMessage = 101,
    kIdStatus = 109,
    kIdInfo = 112,
    kIdIcon = 120,
    kIdMeter = 201,
    kIdPasswordText = 401,
    kIdPasswordEdit = 402,
};

// The window styles the templates use (the values of winuser.h).
namespace style {
inline constexpr uint32_t kChild = 0x40000000, kVisible = 0x10000000, kPopup = 0x80000000;
inline constexpr uint32_t kCaption = 0x00C00000, kSysMenu = 0x00080000, kBorder = 0x00800000;
inline constexpr uint32_t kTabStop = 0x00010000, kModalFrame = 0x80, kSetFont = 0x40;
inline constexpr uint32_t kPushButton = 0, kDefPushButton = 1;
inline constexpr uint32_t kStaticRight = 2, kStaticIcon = 3, kStaticNoPrefix = 0x80;
inline constexpr uint32_t kEditAutoHScroll = 0x80, kEditPassword = 0x20;
}  // namespace style

// Predefined control classes, as template atoms.
inline constexpr uint16_t kClassButton = 0x80, kClassEdit = 0x81, kClassStatic = 0x82;

struct DialogItem {
    uint32_t style;
    int16_t x, y, cx, cy;
    uint16_t id;
    uint16_t classAtom;     // 0 = the class named by className
    const char* className;  // UTF-8
    const char* text;       // UTF-8
};

struct DialogHeader {
    uint32_t style;
    int16_t x, y, cx, cy;
    const char* title;  // UTF-8
};

inline constexpr char kDialogFont[] = "MS Sans Serif";
inline constexpr uint16_t kDialogFontPoints = 8;
inline constexpr char kMeterClass[] = "Meter";

inline constexpr uint32_t kDialogStyle = style::kModalFrame | style::kPopup | style::kVisible |
                                         style::kCaption | style::kSysMenu | style::kSetFont;

inline constexpr DialogHeader kMainDialog = {kDialogStyle, 90, 132, 271, 66, ""};
inline constexpr DialogItem kMainItems[] = {
    {style::kVisible | style::kStaticIcon, 6, 6, 20, 20, kIdIcon, kClassStatic, nullptr, ""},
    {style::kVisible | style::kDefPushButton | style::kTabStop, 215, 6, 50, 14, kIdSetup, kClassButton, nullptr,
     "&Setup"},
    {style::kVisible | style::kPushButton | style::kTabStop, 215, 26, 50, 14, kIdClose, kClassButton, nullptr,
     "Sch&ließen"},
    {style::kVisible | style::kPushButton | style::kTabStop, 215, 46, 50, 14, kIdInfo, kClassButton, nullptr,
     "&Info"},
    {style::kVisible | style::kStaticNoPrefix, 30, 6, 180, 40, kIdMessage, kClassStatic, nullptr, ""},
    {style::kVisible | style::kStaticRight | style::kStaticNoPrefix, 30, 50, 180, 8, kIdStatus, kClassStatic,
     nullptr, ""},
    // The meter starts hidden: no kVisible.
    {style::kBorder, 6, 48, 203, 12, kIdMeter, 0, kMeterClass, ""},
};

inline constexpr DialogHeader kPasswordDialog = {kDialogStyle, 71, 71, 186, 76,
                                                 "Carvello Self-Extractor - Kennwort"};
inline constexpr DialogItem kPasswordItems[] = {
    {style::kVisible, 6, 6, 174, 24, kIdPasswordText, kClassStatic, nullptr,
     "Diese selbstextrahierende Zip-Datei ist kennwortgeschützt.\n\nBitte geben Sie das "
     "&Kennwort ein:"},
    {style::kVisible | style::kBorder | style::kEditAutoHScroll | style::kEditPassword | style::kTabStop, 6, 38,
     174, 12, kIdPasswordEdit, kClassEdit, nullptr, ""},
    {style::kVisible | style::kDefPushButton | style::kTabStop, 35, 56, 50, 14, kIdSetup, kClassButton, nullptr,
     "OK"},
    {style::kVisible | style::kPushButton | style::kTabStop, 101, 56, 50, 14, kIdClose, kClassButton, nullptr,
     "Abbrechen"},
};

// Writes a template into out (nullptr: only counts); returns its size.
// Every item is a child window. Items start on 4-byte boundaries, as the system requires.
template <size_t N>
constexpr size_t writeDialogTemplate(const DialogHeader& h, const DialogItem (&items)[N],
                                     uint8_t* out) {
    size_t w = 0;
    auto put8 = [&](uint8_t b) {
        if (out) out[w] = b;
        ++w;
    };
    auto put16 = [&](uint32_t v) {
        put8(static_cast<uint8_t>(v));
        put8(static_cast<uint8_t>(v >> 8));
    };
    auto put32 = [&](uint32_t v) {
        put16(v & 0xFFFF);
        put16(v >> 16);
    };
    auto putText = [&](const char* s) {  // UTF-8 to UTF-16, with its NUL
        size_t n = 0;
        while (s[n]) ++n;
        for (size_t i = 0; i < n;) {
            size_t used = 1;
            put16(decodeUtf8(s + i, n - i, &used));  // the texts are all in the BMP
            i += used;
        }
        put16(0);
    };
    put32(h.style);
    put32(0);  // extended style
    put16(N);
    put16(static_cast<uint16_t>(h.x));
    put16(static_cast<uint16_t>(h.y));
    put16(static_cast<uint16_t>(h.cx));
    put16(static_cast<uint16_t>(h.cy));
    put16(0);  // no menu
    put16(0);  // the standard dialog class
    putText(h.title);
    put16(kDialogFontPoints);
    putText(kDialogFont);
    for (const DialogItem& item : items) {
        while (w % 4) put8(0);
        put32(item.style | style::kChild);
        put32(0);
        put16(static_cast<uint16_t>(item.x));
        put16(static_cast<uint16_t>(item.y));
        put16(static_cast<uint16_t>(item.cx));
        put16(static_cast<uint16_t>(item.cy));
        put16(item.id);
        if (item.classAtom) {
            put16(0xFFFF);
            put16(item.classAtom);
        } else {
            putText(item.className);
        }
        putText(item.text);
        put16(0);  // no creation data
    }
    return w;
}

// A template as an array of exactly its size.
template <size_t Size, size_t N>
constexpr std::array<uint8_t, Size> dialogTemplate(const DialogHeader& h,
                                                   const DialogItem (&items)[N]) {
    std::array<uint8_t, Size> a{};
    writeDialogTemplate(h, items, a.data());
    return a;
}

}  // namespace gm::sfx
