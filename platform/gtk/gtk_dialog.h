// The dialog seam on GTK 3: each form is a GtkWindow whose controls stand
// on one GtkFixed at the places of the form's twips layout.
//
//  * Group boxes are GtkFrames, sliders GtkScales (range, arrow-key step,
//    track-click step and design position of the form), check boxes and
//    buttons GTK's own, with '&' mnemonics as GTK's '_' ones (Alt+letter).
//    Picture buttons show their 32 x 32 icon above the caption.
//  * Twips become pixels at the font resolution of the screen (96 dpi:
//    15 twips per pixel), so the layout grows with the text. A control that
//    the toolkit makes taller than its box is centred on the box; one whose
//    middle lies outside its group box's area is clipped away there, so it
//    is not shown here.
//  * The tab order is the form's; Enter presses the default button, Escape
//    the cancel button (none: nothing); the close button unloads the form.
//  * ShellExecuteA opens the file with the desktop's default application
//    (gtk_show_uri_on_window, else xdg-open).
//  * SIGTERM, SIGINT and SIGHUP end the program with status 0, as they end
//    the show.
#pragma once

#include <memory>

#include "platform/dialog.h"

typedef struct _GtkWidget GtkWidget;

namespace gm {

class GtkDialogSystem final : public DialogSystem {
  public:
    // Opens the display; nullptr when there is none.
    static std::unique_ptr<GtkDialogSystem> open();

    std::unique_ptr<DialogWindow> loadForm(const FormLayout& layout, DialogEvents& events) override;
    ScreenTwips screenTwips() override;
    void ShellExecuteA(std::uintptr_t owner, const std::string& operation, const std::string& file,
                       const std::string& parameters, const std::string& directory,
                       int showCommand) override;

    // Runs GTK's main loop until no form is loaded any more.
    void run();

    // The GTK widget of a control of a loaded form (tests drive them), and
    // the form's window.
    static GtkWidget* widget(DialogWindow& form, int control);
    static GtkWidget* window(DialogWindow& form);

  private:
    GtkDialogSystem() = default;
    friend class GtkDialog;
    double pixelsPerTwip_ = 1.0 / 15;
    int loadedForms_ = 0;
};

}  // namespace gm
