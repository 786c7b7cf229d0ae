// What the dialog seam decides for every backend, seen through the headless
// one: a press toggles a check box before the form hears of it, Escape
// presses the first cancel button, Enter the default button, and a
// disabled button, or none, is not pressed.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/headless/headless_dialog.h"

namespace gm {
namespace {

struct Clicks final : DialogEvents {
    void onClick(int control) override { seen.push_back(control); }
    std::vector<int> seen;
};

ControlLayout button(const std::string& name, bool isDefault, bool isCancel, bool enabled = true) {
    ControlLayout c;
    c.name = name;
    c.kind = ControlKind::TextButton;
    c.defaultButton = isDefault;
    c.cancelButton = isCancel;
    c.enabled = enabled;
    return c;
}

ControlLayout checkBox(const std::string& name, int value) {
    ControlLayout c;
    c.name = name;
    c.kind = ControlKind::CheckBox;
    c.value = value;
    return c;
}

FormLayout formOf(std::vector<ControlLayout> controls) {
    FormLayout form;
    form.name = "frmTest";
    form.controls = std::move(controls);
    return form;
}

TEST(DialogWindow, APressTogglesACheckBoxBeforeTheFormHearsOfIt) {
    const FormLayout form =
        formOf({checkBox("chk(0)", 0), checkBox("chk(1)", 1), checkBox("chk(2)", 2)});
    HeadlessDialogSystem system;
    struct Reads final : DialogEvents {
        void onClick(int control) override { seen.push_back(window->value(control)); }
        DialogWindow* window = nullptr;
        std::vector<int> seen;
    } events;
    auto window = system.loadForm(form, events);
    events.window = window.get();
    auto& d = static_cast<HeadlessDialog&>(*window);
    for (const char* name : {"chk(0)", "chk(1)", "chk(2)", "chk(1)"}) d.click(name);
    EXPECT_EQ(events.seen, (std::vector<int>{1, 0, 1, 1})) << "a grayed box is checked";
}

TEST(DialogWindow, EscapeAndEnterPressTheFirstCancelAndTheDefaultButton) {
    const struct {
        std::vector<ControlLayout> controls;
        std::vector<int> escape, enter;
    } cases[] = {
        {{button("cmdOK", true, false), button("cmdCancel", false, true),
          button("cmdAlso", false, true)},
         {1},
         {0}},
        {{button("cmdOK", true, true)}, {0}, {0}},  // one button for both
        {{button("cmdA", false, false)}, {}, {}},   // neither: nothing
        {{button("cmdOK", true, false, false), button("cmdNo", false, true, false)}, {}, {}},
    };
    for (const auto& c : cases) {
        const FormLayout form = formOf(c.controls);
        HeadlessDialogSystem system;
        Clicks escape, enter;
        auto forEscape = system.loadForm(form, escape);
        auto forEnter = system.loadForm(form, enter);
        static_cast<HeadlessDialog&>(*forEscape).pressEscape();
        static_cast<HeadlessDialog&>(*forEnter).pressEnter();
        EXPECT_EQ(escape.seen, c.escape) << c.controls[0].name;
        EXPECT_EQ(enter.seen, c.enter) << c.controls[0].name;
    }
}

}  // namespace
}  // namespace gm
