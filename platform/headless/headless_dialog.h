// The headless dialog system: forms as plain records of their control
// values, for tests and for machines without a display.
//
//  * Every loaded form stays listed (forms()), with its values, captions,
//    position and whether it was shown, modal and unloaded.
//  * A modal show() runs the test's whileModal hook (standing in for the
//    user) and returns when the form has been unloaded.
//  * ShellExecuteA calls are recorded.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/dialog.h"

namespace gm {

class HeadlessDialog;

struct ShellExecuteCall {
    std::uintptr_t owner;
    std::string operation, file, parameters, directory;
    int showCommand;
    bool operator==(const ShellExecuteCall&) const = default;
};

class HeadlessDialogSystem final : public DialogSystem {
  public:
    explicit HeadlessDialogSystem(ScreenTwips screen = {640 * 15, 480 * 15}) : screen_(screen) {}

    std::unique_ptr<DialogWindow> loadForm(const FormLayout& layout, DialogEvents& events) override;
    ScreenTwips screenTwips() override { return screen_; }
    void ShellExecuteA(std::uintptr_t owner, const std::string& operation, const std::string& file,
                       const std::string& parameters, const std::string& directory,
                       int showCommand) override;

    // Runs while a form is shown modally (what the user does there); it
    // should unload the form.
    std::function<void(HeadlessDialog&)> whileModal;

    // The forms loaded so far, oldest first (unloaded ones included while
    // their owner keeps them).
    const std::vector<HeadlessDialog*>& forms() const { return forms_; }
    HeadlessDialog* find(const std::string& formName) const;
    const std::vector<ShellExecuteCall>& shellCalls() const { return shellCalls_; }

  private:
    friend class HeadlessDialog;
    ScreenTwips screen_;
    std::vector<HeadlessDialog*> forms_;
    std::vector<ShellExecuteCall> shellCalls_;
    std::uintptr_t nextHandle_ = 0x20010;
};

class HeadlessDialog final : public DialogWindow {
  public:
    HeadlessDialog(HeadlessDialogSystem& system, const FormLayout& layout, DialogEvents& events,
                   std::uintptr_t handle);
    ~HeadlessDialog() override;

    std::uintptr_t handle() const override { return handle_; }
    void setCaption(int control, const std::string& text) override;
    void moveTwips(int left, int top) override;
    void show(bool modal) override;
    void unload() override;
    bool loaded() const override { return loaded_; }

    // --- What a user does ------------------------------------------------
    // Presses a button or clicks a control by name ("cmdOK").
    void click(const std::string& name);
    // Moves a slider or sets a check box as the user would.
    void set(const std::string& name, int value);
    void pressEscape();
    void pressEnter();
    void closeButton() { unload(); }

    // --- What tests read -------------------------------------------------
    int control(const std::string& name) const;  // index of the named control
    int get(const std::string& name) const { return value(control(name)); }
    const std::string& caption(const std::string& name) const;
    bool shown() const { return shown_; }
    bool modal() const { return modal_; }
    int left() const { return left_; }
    int top() const { return top_; }

  protected:
    int readValue(int control) const override;
    void writeValue(int control, int value) override;

  private:
    HeadlessDialogSystem& system_;
    std::uintptr_t handle_;
    std::vector<int> values_;
    std::vector<std::string> captions_;
    bool loaded_ = true, shown_ = false, modal_ = false;
    int left_ = 0, top_ = 0;
};

}  // namespace gm
