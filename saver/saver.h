// Module Saver: the entry procedure and its command-line modes, the
// platform-family test, the end of the show and the top-most helper.
//
// Main reads the settings, seeds the random sequence, switches the system's
// screen saver off and dispatches on the command line:
//   "/P <host>"  preview inside the host window
//   "/C"         the settings dialog
//   "/A <owner>" change the screen saver password (older family only)
//   "/S" or ""   the full-screen show in frmMain
// Only the first two characters (trimmed, upper case) choose the mode; the
// argument starts at the fourth character. Anything else ends the program.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "basic/numeric.h"
#include "platform/platform.h"
#include "saver/frm_preview.h"

namespace gm {

class FrmMain;

// True (-1) while the program runs as the full-screen show.
extern Bool16 fullScreen;

// The forms of the program. Main loads frmMain itself; the settings dialog
// and the preview window are opened through openers (the preview's embeds
// frmPreview unless a test puts another in; the settings dialog's is
// installed by its owner, and an opener that is not installed opens nothing).
struct Forms {
    std::unique_ptr<FrmMain> frmMain;
    std::unique_ptr<FrmPreview> frmPreview;
    std::function<void()> showFrmConfig;
    // Embeds the preview into the host whose client area is width x height.
    std::function<void(std::uintptr_t host, int width, int height)> showFrmPreview =
        &embedFrmPreview;
};
Forms& forms();

// The seed that replaces the time of day: --seed N on Linux, else the
// environment variable GLINTMOOR_SEED (a decimal number).
void setSeedOverride(std::optional<std::uint64_t> seed);
std::optional<std::uint64_t> seedOverride();

// The entry procedure; commandLine is what follows the program's name.
void Main(const std::string& commandLine);

Bool16 IsWinNT();
void exitScreensaver();
Bool16 SetTopMost(Window& window, Bool16 topmost, Bool16 activate);

// The argument as a window handle: the decimal number at its start (blanks
// before it skipped, what follows it ignored; none gives 0), rounded half to
// even into 32 bits. A number outside 32 bits raises 6 (Overflow).
Int32 handleArgument(const std::string& argument);

}  // namespace gm
