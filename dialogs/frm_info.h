// frmInfo: the about box. Title and version of the program, "Freeware", the
// home page line that opens the browser, the catalogue line, on a picture of
// a floppy disk; OK or Escape closes it.
#pragma once

#include <memory>
#include <string>

#include "platform/dialog.h"

namespace gm {

// The program's application title and version, as the about box shows them.
inline constexpr const char* kAppTitle = "Glintmoor Screensaver";
std::string programVersion();  // major.minor.revision: "1.0.310"

// The address the home page line shows and opens.
inline constexpr const char* kInfoHomepage = "https://glintmoor.example/saver";

// The form's description (controls in the order of FrmInfo::Control).
const FormLayout& frmInfoLayout();

class FrmInfo final : public DialogEvents {
  public:
    enum Control {
        Image2,       // the floppy disk, beneath everything
        Label0,       // title
        Label1,       // version
        Label2,       // "Freeware"
        lblHomepage,  // the home page address, underlined: a link
        Label4,       // catalogue line
        Image1_1,     // the logo beside it
        Image1_0,     // empty
        ok,           // OK; Escape presses it
    };

    // Loads the form (Form_Load runs: placed and filled), hidden.
    FrmInfo();
    ~FrmInfo() override;

    // Shows it modally without owner; returns when it is closed.
    void ShowModal();
    DialogWindow& window() { return *window_; }

    void Form_Load();
    void lblHomepage_Click();
    void ok_Click();

    void onClick(int control) override;

  private:
    std::unique_ptr<DialogWindow> window_;
};

}  // namespace gm
