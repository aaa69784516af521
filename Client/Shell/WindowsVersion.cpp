#include "Client/Shell/WindowsVersion.h"

namespace WindowsVersion
{
int CodeOf(DWORD platformId, DWORD major, DWORD minor)
{
    if (platformId != VER_PLATFORM_WIN32_NT)
        return 0;
    struct Known
    {
        DWORD major, minor;
        int code;
    };
    static const Known known[] = {{5, 0, 2}, {5, 1, 3}, {5, 2, 5}, {6, 0, 4}, {6, 1, 6},
                                  {6, 2, 7}, {6, 3, 8}, {10, 0, 10}};
    for (const Known& k : known)
        if (k.major == major && k.minor == minor)
            return k.code;
    return 0;
}

int Current()
{
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof(info);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!::GetVersionExA(&info))
        return 0;
#pragma GCC diagnostic pop
    return CodeOf(info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion);
}

bool IsSupported(int code)
{
    switch (code)
    {
    case 3: case 4: case 5: case 6: case 7: case 8: case 10:
        return true;
    default:
        return false;
    }
}
}
