// The Win32 dialog system: forms as real windows with standard child
// controls (Button, ScrollBar, Static), laid out from their twips at the dpi
// of the monitor they are on and laid out again when it changes.
#pragma once

#include <memory>

#include "platform/dialog.h"

namespace gm::win32 {

std::unique_ptr<DialogSystem> makeWin32DialogSystem();

// The window class of the forms; the message loop runs their keyboard
// navigation (Tab, mnemonics, Enter, Escape) through IsDialogMessage.
inline constexpr char kDialogClassName[] = "GlintmoorDialog";

}  // namespace gm::win32
