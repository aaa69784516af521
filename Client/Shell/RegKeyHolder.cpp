#include "Client/Shell/RegKeyHolder.h"

BOOL RegKeyHolder::Open(HKEY root, const char* path)
{
    Close();
    return m_key.Open(root, path, KEY_ALL_ACCESS) == ERROR_SUCCESS;
}

BOOL RegKeyHolder::Create(HKEY root, const char* path)
{
    Close();
    return m_key.Create(root, path, KEY_ALL_ACCESS) == ERROR_SUCCESS;
}

BOOL RegKeyHolder::ReadDword(const char* name, DWORD& value) const
{
    value = 0;
    DWORD size = sizeof(value);
    return ::RegQueryValueExA(m_key.Get(), name, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size) ==
           ERROR_SUCCESS;
}

BOOL RegKeyHolder::WriteDword(const char* name, DWORD value) const
{
    return ::RegSetValueExA(m_key.Get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value)) ==
           ERROR_SUCCESS;
}

BOOL RegKeyHolder::ReadString(const char* name, std::string& value) const
{
    value.clear();
    // One byte more than the limit, so that a text of exactly the limit that
    // was stored without a terminator still ends inside the buffer.
    char buffer[kMaxStringBytes + 1] = {};
    DWORD size = kMaxStringBytes;
    if (::RegQueryValueExA(m_key.Get(), name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size) !=
        ERROR_SUCCESS)
        return FALSE;
    buffer[size < kMaxStringBytes ? size : kMaxStringBytes] = '\0';
    value.assign(buffer);
    return TRUE;
}

BOOL RegKeyHolder::WriteString(const char* name, const std::string& value) const
{
    return ::RegSetValueExA(m_key.Get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.data()),
                            static_cast<DWORD>(value.size())) == ERROR_SUCCESS;
}

BOOL RegKeyHolder::DeleteSubKey(HKEY root, const char* path)
{
    return ::RegDeleteKeyA(root, path) == ERROR_SUCCESS;
}

LONG RegKeyHolder::Close()
{
    // A caller may want to know whether the close (and so the flush) worked,
    // so the key is closed here rather than by its holder.
    return m_key ? ::RegCloseKey(m_key.Detach()) : ERROR_SUCCESS;
}
