#pragma once
#include <windows.h>

#include <string>

#include "Framework/CRegKey.h"

// One open registry key, closed by the destructor. TRUE means the Windows
// call succeeded.
class RegKeyHolder
{
public:
    // The longest text ReadString accepts, in bytes, terminator included or not.
    static const DWORD kMaxStringBytes = 256;

    BOOL Open(HKEY root, const char* path);
    BOOL Create(HKEY root, const char* path);
    // value is 0 unless the query succeeds; the stored type is not checked.
    BOOL ReadDword(const char* name, DWORD& value) const;
    BOOL WriteDword(const char* name, DWORD value) const;
    // Up to kMaxStringBytes; a longer or missing value gives FALSE and "".
    BOOL ReadString(const char* name, std::string& value) const;
    // REG_SZ of the text's length, without a terminator.
    BOOL WriteString(const char* name, const std::string& value) const;
    // Deletes root\path (not a subkey of the held key).
    static BOOL DeleteSubKey(HKEY root, const char* path);
    // The result of closing the key; ERROR_SUCCESS when none was open.
    LONG Close();

    HKEY Get() const { return m_key.Get(); }
    bool IsOpen() const { return m_key.IsOpen(); }

private:
    CRegKey m_key;
};
