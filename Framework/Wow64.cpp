#include "Framework/Wow64.h"

#include <windows.h>

namespace Wow64
{
bool IsCurrentProcess()
{
    typedef BOOL(WINAPI * PFN_IS_WOW64_PROCESS)(HANDLE, PBOOL);
    const PFN_IS_WOW64_PROCESS isWow64Process = reinterpret_cast<PFN_IS_WOW64_PROCESS>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("kernel32"), "IsWow64Process")));
    BOOL wow64 = FALSE;
    return isWow64Process && isWow64Process(::GetCurrentProcess(), &wow64) && wow64;
}
}
