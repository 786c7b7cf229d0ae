// frmConfig: the settings dialog. Six sliders and two check boxes show the
// settings record; OK stores them and closes the dialog, Default puts the
// controls back to the defaults, Info opens the about box and WWW the home
// page. There is no Cancel: the close button closes without storing, and
// Escape does nothing.
#pragma once

#include <array>
#include <memory>

#include "platform/dialog.h"

namespace gm {

// The address the WWW button opens.
inline constexpr const char* kConfigHomepage = "https://www.glintmoor.example/";

// The indices of the controls the handlers use, in frmConfigLayout().controls.
struct FrmConfigControls {
    std::array<int, 6> HScroll{};  // 0 density, 1 flake speed, 2 size, 3 cloud, 4 object, 5 general
    std::array<int, 4> chkOpt{};   // 0 Date, 1 Time, 2 and 3 hidden
    int cmdHomepage = 0, cmdInfo = 0, cmdReset = 0, cmdOK = 0;
};

const FormLayout& frmConfigLayout();
const FrmConfigControls& frmConfigControls();

class FrmConfig final : public DialogEvents {
  public:
    // Loads the form (Form_Load fills it from the settings record), hidden.
    FrmConfig();
    ~FrmConfig() override;

    void Show();  // not modal
    DialogWindow& window() { return *window_; }

    void Form_Load();
    void cmdOK_Click();
    void cmdReset_Click();
    void cmdInfo_Click();
    void cmdHomepage_Click();

    void onClick(int control) override;

  private:
    std::unique_ptr<DialogWindow> window_;
};

// Main's opener of the settings dialog: loads frmConfig and shows it not
// modal, without owner. The form lives until the process ends.
void showFrmConfig();

}  // namespace gm
