#pragma once
#include <windows.h>

#include <string>

// One Run value (one string of it for a REG_MULTI_SZ value), or one record of
// a Run value that was disabled.
struct StartupRegistryEntry
{
    // The Run value's name, or the record's subkey name.
    std::string name;
    std::string command;
    // The Run-key path the value was read from or goes back to.
    std::string keyPath;
    int disabled = 0;
    int isHklm = 0;
    // The name the value has under its Run key. A record's subkey name can
    // differ from it when two items would share one record.
    std::string valueName;
    // The value's own type; records written without one are REG_SZ.
    DWORD type = REG_SZ;

    HKEY Root() const { return isHklm ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER; }
};
