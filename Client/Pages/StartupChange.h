#pragma once
#include <windows.h>

// What became of one change the startup manager tried on an item: made, or
// why not. A change that is not made leaves the item as it was.
enum StartupChange
{
    kStartupChanged,
    // Windows refused a write: a user without rights to HKLM or to the
    // common Startup folder.
    kStartupDenied,
    // Windows failed a step for another reason (a file in use, a folder
    // that is gone).
    kStartupFailed,
    // The item is not there any more; the list is older than the change.
    kStartupGone,
    // Enable: the Run key holds a live value of that name again (the
    // program registered itself anew); both it and the record stay.
    kStartupValueBack,
    // Enable: a file of that name is in the Startup folder again.
    kStartupFileBack,
    // Disable: a disabled copy of this file is kept already.
    kStartupCopyKept,
    // Enable: the disabled copy is missing, so nothing can come back.
    kStartupCopyMissing,
    // Enable: the Run key or the Startup folder the item belongs in is gone.
    kStartupPlaceGone,
    // Disable: a Run value of a type that a record cannot keep.
    kStartupUnkeptType,
};

// The change a step gives, by its Windows error code; missing gives
// whenMissing, which the step knows the meaning of.
inline StartupChange StartupChangeOf(LONG error, StartupChange whenMissing = kStartupFailed)
{
    switch (error)
    {
    case ERROR_SUCCESS: return kStartupChanged;
    case ERROR_ACCESS_DENIED: return kStartupDenied;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND: return whenMissing;
    default: return kStartupFailed;
    }
}
