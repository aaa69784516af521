#pragma once
#include <windows.h>

#include "Framework/DialogTemplateWalker.h"

// The common controls library is loaded the first time a window of one of
// its classes is about to be made, not at the program's start: the first
// page shows only the system's own controls, and readying the library costs
// the start more than anything else it skips.
namespace CommonControls
{
// Readies every class of the library once; later calls return at once.
void Ready();
// Whether a dialog template names a class other than the system's own
// (button, edit, static, list box, scroll bar, combo box).
bool NeededBy(const DialogTemplateWalker::Template& dialogTemplate);
}
