#pragma once
#include <windows.h>

// The two registry views and the two system folders of a 64-bit Windows, as
// this process meets them. A 32-bit process runs there under WOW64: its own
// view is the 32-bit one and the other is the native one. A 64-bit process
// owns the native view and reaches the 32-bit one with a flag. On a 32-bit
// Windows there is one view only. What the program does in both views is
// written once, as "this process's own view, and the other view on a 64-bit
// Windows", so that either build lists, checks and changes the same things.
namespace Wow64
{
// Whether this is a 32-bit process on 64-bit Windows. The call is looked up
// by name: it does not exist before Windows XP SP2, where the answer is no.
bool IsCurrentProcess();
// Whether Windows is a 64-bit one, whichever build this process is.
bool Is64BitWindows();
// The flag that opens the view this process does not see by itself: the
// native view from a 32-bit process, the 32-bit view from a 64-bit one; 0 on
// a 32-bit Windows, where a key opened with it is one of this process's own.
REGSAM OtherView();
// The flag that opens the native view, the one Windows itself starts
// programs from: needed by a 32-bit process on a 64-bit Windows, harmless
// from a 64-bit one; 0 on a 32-bit Windows.
REGSAM NativeView();
// The flag that opens the 32-bit view: 0 from a 32-bit process, whose own
// view it is (the only one on a 32-bit Windows).
REGSAM ThirtyTwoBitView();
}
