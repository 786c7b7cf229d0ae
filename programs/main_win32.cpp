// The Windows program: the screen saver service starts it with the mode on
// the command line ("/s", "/c", "/p <hwnd>", "/a <hwnd>"); Main gets that
// command line exactly as the system passes it after the program's name.
// The entry point is the one place above platform/ that sees <windows.h>, because
// the system hands the command line to WinMain.
#include <windows.h>

#include "dialogs/frm_config.h"
#include "platform/win32/win32_dialog.h"
#include "platform/win32/win32_platform.h"
#include "programs/settings_store.h"
#include "saver/frm_main.h"
#include "saver/saver.h"
#include "saver/show_parts.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
    const std::unique_ptr<gm::SettingsStore> store = gm::openSettingsStore();
    std::unique_ptr<gm::Platform> platform = gm::makeWin32Platform(*store);
    gm::setPlatform(platform.get());
    std::unique_ptr<gm::DialogSystem> dialogs = gm::win32::makeWin32DialogSystem();
    gm::setDialogSystem(dialogs.get());
    gm::forms().showFrmConfig = &gm::showFrmConfig;  // "/c", "/c:HWND" and "/C"
    gm::installShowParts();
    gm::Main(commandLine ? commandLine : "");
    gm::platform().run();
    return 0;
}
