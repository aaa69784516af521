#pragma once
#include <windows.h>
#include <string>
#include <vector>

#include "Framework/CUniqueHandle.h"

struct RegKeyTraits
{
    using Handle = HKEY;
    static HKEY Normalise(HKEY h) { return h; }
    // The predefined root keys may be held too; they are never closed.
    static void Free(HKEY h);
};

// Owns one open registry key and closes it.
class CRegKey : public CUniqueHandle<RegKeyTraits>
{
public:
    using CUniqueHandle::CUniqueHandle;

    // Each returns the Windows error code (ERROR_SUCCESS when the key is open).
    LONG Open(HKEY parent, const char* path, REGSAM access);
    LONG Create(HKEY parent, const char* path, REGSAM access, DWORD* disposition = nullptr);

    LONG QueryDword(const char* name, DWORD& value) const;
    // Reads a REG_SZ or REG_EXPAND_SZ value; the text ends at its terminator or
    // at the end of the stored data, whichever comes first.
    LONG QueryString(const char* name, std::string& value) const;
    // The same text, or "" when the value is missing or not text.
    std::string ReadString(const char* name) const;
    // The names of the key's subkeys, up to the first that cannot be read.
    std::vector<std::string> SubkeyNames() const;
    LONG SetDword(const char* name, DWORD value);
    LONG SetString(const char* name, const std::string& value, DWORD type = REG_SZ);
    LONG DeleteValue(const char* name);

    // The settings' own forms, which the settings store, the statistics and
    // the Explorer menu share:
    // The longest text ReadShortString accepts, in bytes, with or without
    // its terminator.
    static const DWORD kMaxShortStringBytes = 256;
    // Up to four bytes whatever the stored type; value is 0 unless the read
    // succeeds.
    bool ReadDword(const char* name, DWORD& value) const;
    // Up to kMaxShortStringBytes; a longer or missing value gives false and "".
    bool ReadShortString(const char* name, std::string& value) const;
    // REG_SZ of exactly the text's bytes, without a terminator.
    LONG SetStringUnterminated(const char* name, const std::string& value);
    // Deletes root\path (a key without subkeys).
    static LONG DeleteKey(HKEY root, const char* path);

    bool IsOpen() const { return IsValid(); }

    static bool IsPredefined(HKEY h);
};
