// Dialog windows with controls: the seam the settings dialog and the about
// box are built on.
//
// A form is described once, as data (FormLayout): its frame, its size and
// every control with its kind, caption, rectangle in twips relative to its
// container, tab position and look. A backend turns the description into a
// real window (Win32 child controls, GTK widgets, or the headless record for
// tests) and reports what the user does, raw: a control pressed, a key
// pressed. What follows from that is decided here, the same on every
// platform (DialogWindow::controlPressed, keyPressed); the forms' handlers
// only read and write control values, captions and the window's position.
//
// Twips: 1440 per inch, so 15 per pixel at 96 dots per inch. A backend maps
// them to pixels by the dpi of the monitor the window is on.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/keys.h"

namespace gm {

inline constexpr int kTwipsPerInch = 1440;

enum class ControlKind {
    GroupBox,       // a frame with a caption around other controls
    Label,          // static text
    HScroll,        // horizontal scroll bar: a slider with min, max, small and large steps
    CheckBox,       // value 0 unchecked, 1 checked, 2 grayed
    PictureButton,  // push button with a 32 x 32 icon above its caption
    TextButton,     // push button with a caption only
    Image,          // a picture (resource bitmap), stretched to the rectangle
};

enum class TextAlign { Left, Center, Right };

enum class FormFrame {
    ToolWindow,  // small caption with a close button only, not sizable
    None,        // no border and no title bar
};

struct TwipsRect {
    int left = 0, top = 0, width = 0, height = 0;
};

// A font; an empty face is the system's dialog font (and points 0 its size).
struct DialogFont {
    std::string face{};
    double points = 0;
    bool bold = false;
    bool underline = false;
};

// Colours are r + 256*g + 65536*b.
using DialogColour = std::int32_t;

struct ControlLayout {
    std::string name{};  // the control's name with its index: "HScroll(5)", "cmdOK"
    ControlKind kind = ControlKind::Label;
    std::string caption{};  // '&' marks the mnemonic of buttons and check boxes
    int container = -1;     // index of the group box holding it; -1: the form
    TwipsRect rect{};       // relative to the container
    int tabIndex = -1;      // position in the tab order; -1: not a tab stop
    bool enabled = true;
    bool defaultButton = false;  // Enter presses it
    bool cancelButton = false;   // Escape presses it
    bool clickable = false;      // a label that reports clicks
    TextAlign align = TextAlign::Left;
    std::optional<DialogFont> font{};          // none: the form's font
    std::optional<DialogColour> foreColour{};  // none: the window-text colour
    std::optional<DialogColour> backColour{};  // none: transparent (labels) or the system's face
    int picture = 0;      // bitmap resource id of an image or a button's icon; 0 none
    int pictureMask = 0;  // bitmap resource id of the icon's 1-bit mask (black = figure)
    // Sliders: range, steps and design position; check boxes: design value.
    int min = 0, max = 0, smallChange = 0, largeChange = 0, value = 0;
};

struct FormLayout {
    std::string name;  // "frmConfig"
    std::string caption;
    FormFrame frame = FormFrame::ToolWindow;
    int widthTwips = 0, heightTwips = 0;  // inner size
    bool centreOnScreen = true;           // false: the load handler places it
    std::optional<DialogColour> backColour;
    DialogFont font;
    std::vector<ControlLayout> controls;
};

// The form's handlers, called by the backend on the window's thread.
class DialogEvents {
  public:
    virtual ~DialogEvents() = default;
    // A button (or a check box, or a clickable label) was pressed; Enter
    // presses the default button, Escape the first cancel button (none:
    // nothing). A check box has its new value already.
    virtual void onClick(int control) = 0;
    // The window is going away (its close button, or unload()).
    virtual void onUnload() {}
};

// One loaded form. Control values go through setValue(), which checks them
// against the control as the form's controls do: a value the control does
// not take raises run-time error 380 (Invalid property value) and leaves it
// unchanged.
class DialogWindow {
  public:
    DialogWindow(const FormLayout& layout, DialogEvents& events)
        : layout_(layout), events_(events) {}
    virtual ~DialogWindow() = default;
    DialogWindow(const DialogWindow&) = delete;
    DialogWindow& operator=(const DialogWindow&) = delete;

    const FormLayout& layout() const { return layout_; }

    // A slider's position or a check box's value.
    int value(int control) const { return readValue(control); }
    void setValue(int control, double value);

    virtual std::uintptr_t handle() const = 0;
    virtual void setCaption(int control, const std::string& text) = 0;
    // Moves the window's outer top-left corner to a screen position in twips.
    virtual void moveTwips(int left, int top) = 0;
    // Shows the window; a modal window has no owner and show() returns when
    // it has been unloaded.
    virtual void show(bool modal) = 0;
    // Closes the window (onUnload runs); it is not shown again.
    virtual void unload() = 0;
    virtual bool loaded() const = 0;

  protected:
    virtual int readValue(int control) const = 0;
    virtual void writeValue(int control, int value) = 0;

    // What the backends report. A press of a check box toggles it (a checked
    // box clears, an unchecked or grayed one is checked) before the form
    // hears of the click. Escape presses the first cancel button, Enter the
    // default button; a disabled one, or none, is not pressed.
    void controlPressed(int control);
    void keyPressed(Key key);
    DialogEvents& events() const { return events_; }

  private:
    const FormLayout& layout_;
    DialogEvents& events_;
};

struct ScreenTwips {
    int width = 0, height = 0;
};

// The dialogs' side of the platform.
class DialogSystem {
  public:
    virtual ~DialogSystem() = default;
    // Creates the window and its controls, hidden, at their design values.
    virtual std::unique_ptr<DialogWindow> loadForm(const FormLayout& layout,
                                                   DialogEvents& events) = 0;
    // The primary screen's size in twips.
    virtual ScreenTwips screenTwips() = 0;
    // Opens `file` with the shell verb `operation` (the home page in the
    // default browser); a failure shows nothing.
    virtual void ShellExecuteA(std::uintptr_t owner, const std::string& operation,
                               const std::string& file, const std::string& parameters,
                               const std::string& directory, int showCommand) = 0;
};

inline constexpr int kSwShowNormal = 1;

// The dialog system of the process; installed by the program's entry.
DialogSystem& dialogSystem();
void setDialogSystem(DialogSystem* system);

}  // namespace gm
