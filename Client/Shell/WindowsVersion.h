#pragma once
#include <windows.h>

// The program's own numbering of the Windows versions it knows.
namespace WindowsVersion
{
// 2 for 5.0, 3 for 5.1, 5 for 5.2, 4 for 6.0, 6 for 6.1, 7 for 6.2, 8 for 6.3,
// 10 for 10.0; 0 for anything else and for every platform but NT.
int CodeOf(DWORD platformId, DWORD major, DWORD minor);
// The code of the Windows this process runs on, as GetVersionExA reports it.
int Current();
// 5.1 (XP) to 10.0; 5.0 and unknown versions are not tested.
bool IsSupported(int code);
}
