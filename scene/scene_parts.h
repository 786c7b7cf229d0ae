// The scene builder's part in the show: frmMain's resize handler composes
// the landscape through it.
#pragma once

#include "saver/frm_main.h"

namespace gm {

// Fills in the first step of Form_Resize (BuildBG); the other parts stay as
// they are.
void installScene(ShowParts& parts);

}  // namespace gm
