#include "platform/headless/headless_dialog.h"

#include <algorithm>
#include <stdexcept>

namespace gm {

std::unique_ptr<DialogWindow> HeadlessDialogSystem::loadForm(const FormLayout& layout,
                                                             DialogEvents& events) {
    return std::make_unique<HeadlessDialog>(*this, layout, events, nextHandle_++);
}

void HeadlessDialogSystem::ShellExecuteA(std::uintptr_t owner, const std::string& operation,
                                         const std::string& file, const std::string& parameters,
                                         const std::string& directory, int showCommand) {
    shellCalls_.push_back({owner, operation, file, parameters, directory, showCommand});
}

HeadlessDialog* HeadlessDialogSystem::find(const std::string& formName) const {
    for (auto it = forms_.rbegin(); it != forms_.rend(); ++it)
        if ((*it)->layout().name == formName) return *it;
    return nullptr;
}

HeadlessDialog::HeadlessDialog(HeadlessDialogSystem& system, const FormLayout& layout,
                               DialogEvents& events, std::uintptr_t handle)
    : DialogWindow(layout, events), system_(system), handle_(handle) {
    for (const ControlLayout& c : layout.controls) {
        values_.push_back(c.value);
        captions_.push_back(c.caption);
    }
    if (layout.centreOnScreen) {
        left_ = (system.screen_.width - layout.widthTwips) / 2;
        top_ = (system.screen_.height - layout.heightTwips) / 2;
    }
    system_.forms_.push_back(this);
}

HeadlessDialog::~HeadlessDialog() { std::erase(system_.forms_, this); }

void HeadlessDialog::setCaption(int control, const std::string& text) {
    captions_.at(static_cast<std::size_t>(control)) = text;
}

void HeadlessDialog::moveTwips(int left, int top) {
    left_ = left;
    top_ = top;
}

void HeadlessDialog::show(bool modal) {
    shown_ = true;
    modal_ = modal;
    if (!modal) return;
    if (system_.whileModal) system_.whileModal(*this);
    if (loaded_) throw std::logic_error(layout().name + " shown modally was never closed");
}

void HeadlessDialog::unload() {
    if (!loaded_) return;
    loaded_ = false;
    events().onUnload();
}

int HeadlessDialog::control(const std::string& name) const {
    const auto& cs = layout().controls;
    const auto it =
        std::find_if(cs.begin(), cs.end(), [&](const ControlLayout& c) { return c.name == name; });
    if (it == cs.end()) throw std::invalid_argument("no control " + name + " on " + layout().name);
    return static_cast<int>(it - cs.begin());
}

const std::string& HeadlessDialog::caption(const std::string& name) const {
    return captions_.at(static_cast<std::size_t>(control(name)));
}

void HeadlessDialog::click(const std::string& name) {
    const int i = control(name);
    const ControlLayout& c = layout().controls[static_cast<std::size_t>(i)];
    if (loaded_ && c.enabled) controlPressed(i);
}

void HeadlessDialog::set(const std::string& name, int value) { setValue(control(name), value); }

void HeadlessDialog::pressEscape() {
    if (loaded_) keyPressed(Key::Escape);
}

void HeadlessDialog::pressEnter() {
    if (loaded_) keyPressed(Key::Enter);
}

int HeadlessDialog::readValue(int control) const {
    return values_.at(static_cast<std::size_t>(control));
}

void HeadlessDialog::writeValue(int control, int value) {
    values_.at(static_cast<std::size_t>(control)) = value;
}

}  // namespace gm
