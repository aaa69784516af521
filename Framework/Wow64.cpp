#include "Framework/Wow64.h"

namespace
{
bool AskIsWow64Process()
{
    typedef BOOL(WINAPI * PFN_IS_WOW64_PROCESS)(HANDLE, PBOOL);
    const PFN_IS_WOW64_PROCESS isWow64Process = reinterpret_cast<PFN_IS_WOW64_PROCESS>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("kernel32"), "IsWow64Process")));
    BOOL wow64 = FALSE;
    return isWow64Process && isWow64Process(::GetCurrentProcess(), &wow64) && wow64;
}
}

namespace Wow64
{
bool IsCurrentProcess()
{
    // Asked once: the scans ask for every file they check, and a process
    // never changes what it runs on.
    static const bool wow64 = AskIsWow64Process();
    return wow64;
}

bool Is64BitWindows()
{
#ifdef _WIN64
    return true;
#else
    return IsCurrentProcess();
#endif
}

REGSAM OtherView()
{
#ifdef _WIN64
    return KEY_WOW64_32KEY;
#else
    return IsCurrentProcess() ? KEY_WOW64_64KEY : 0;
#endif
}

REGSAM NativeView()
{
    return Is64BitWindows() ? KEY_WOW64_64KEY : 0;
}

REGSAM ThirtyTwoBitView()
{
#ifdef _WIN64
    return KEY_WOW64_32KEY;
#else
    return 0;
#endif
}
}
