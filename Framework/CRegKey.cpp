#include "Framework/CRegKey.h"

#include <vector>

bool CRegKey::IsPredefined(HKEY h)
{
    // The predefined keys are the 32-bit values 0x80000000 to 0x8000000F; a
    // 64-bit build holds them sign-extended (0xFFFFFFFF80000001 is
    // HKEY_CURRENT_USER), so only a value that is its own 32-bit value, as a
    // signed one, is compared.
    const LONG_PTR value = reinterpret_cast<LONG_PTR>(h);
    if (value != static_cast<LONG_PTR>(static_cast<LONG>(value)))
        return false;
    const ULONG low = static_cast<ULONG>(value);
    return low >= 0x80000000UL && low <= 0x8000000FUL;
}

LONG CRegKey::Open(HKEY parent, const char* path, REGSAM access)
{
    HKEY h = NULL;
    const LONG rc = ::RegOpenKeyExA(parent, path, 0, access, &h);
    if (rc == ERROR_SUCCESS)
        Attach(h);
    return rc;
}

LONG CRegKey::Create(HKEY parent, const char* path, REGSAM access, DWORD* disposition)
{
    HKEY h = NULL;
    const LONG rc = ::RegCreateKeyExA(parent, path, 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr, &h,
                                      disposition);
    if (rc == ERROR_SUCCESS)
        Attach(h);
    return rc;
}

void RegKeyTraits::Free(HKEY h)
{
    if (!CRegKey::IsPredefined(h))
        ::RegCloseKey(h);
}

LONG CRegKey::QueryDword(const char* name, DWORD& value) const
{
    DWORD type = 0;
    DWORD data = 0;
    DWORD size = sizeof(data);
    const LONG rc = ::RegQueryValueExA(m_h, name, nullptr, &type, reinterpret_cast<BYTE*>(&data), &size);
    if (rc != ERROR_SUCCESS)
        return rc;
    if (type != REG_DWORD || size != sizeof(data))
        return ERROR_INVALID_DATA;
    value = data;
    return ERROR_SUCCESS;
}

std::string CRegKey::ReadString(const char* name) const
{
    std::string text;
    if (QueryString(name, text) != ERROR_SUCCESS)
        text.clear();
    return text;
}

std::vector<std::string> CRegKey::SubkeyNames() const
{
    std::vector<std::string> names;
    char name[256];
    for (DWORD index = 0;; ++index)
    {
        DWORD length = sizeof(name);
        if (::RegEnumKeyExA(m_h, index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            return names;
        names.emplace_back(name, length);
    }
}

LONG CRegKey::QueryString(const char* name, std::string& value) const
{
    DWORD type = 0;
    DWORD size = 0;
    LONG rc = ::RegQueryValueExA(m_h, name, nullptr, &type, nullptr, &size);
    if (rc != ERROR_SUCCESS)
        return rc;
    if (type != REG_SZ && type != REG_EXPAND_SZ)
        return ERROR_INVALID_DATA;
    // The value may change between the two calls; grow until it fits.
    std::vector<char> buffer(size + 1);
    for (;;)
    {
        size = static_cast<DWORD>(buffer.size() - 1);
        rc = ::RegQueryValueExA(m_h, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size);
        if (rc != ERROR_MORE_DATA)
            break;
        buffer.resize(buffer.size() * 2);
    }
    if (rc != ERROR_SUCCESS)
        return rc;
    buffer[size] = '\0';
    value.assign(buffer.data());
    return ERROR_SUCCESS;
}

LONG CRegKey::SetDword(const char* name, DWORD value)
{
    return ::RegSetValueExA(m_h, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
}

LONG CRegKey::SetString(const char* name, const std::string& value, DWORD type)
{
    return ::RegSetValueExA(m_h, name, 0, type, reinterpret_cast<const BYTE*>(value.c_str()),
                            static_cast<DWORD>(value.size() + 1));
}

LONG CRegKey::DeleteValue(const char* name)
{
    return ::RegDeleteValueA(m_h, name);
}

bool CRegKey::ReadDword(const char* name, DWORD& value) const
{
    value = 0;
    DWORD size = sizeof(value);
    return ::RegQueryValueExA(m_h, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size) == ERROR_SUCCESS;
}

bool CRegKey::ReadShortString(const char* name, std::string& value) const
{
    value.clear();
    // One byte more than the limit, so that a text of exactly the limit that
    // was stored without a terminator still ends inside the buffer.
    char buffer[kMaxShortStringBytes + 1] = {};
    DWORD size = kMaxShortStringBytes;
    if (::RegQueryValueExA(m_h, name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size) != ERROR_SUCCESS)
        return false;
    buffer[size < kMaxShortStringBytes ? size : kMaxShortStringBytes] = '\0';
    value.assign(buffer);
    return true;
}

LONG CRegKey::SetStringUnterminated(const char* name, const std::string& value)
{
    return ::RegSetValueExA(m_h, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.data()),
                            static_cast<DWORD>(value.size()));
}

LONG CRegKey::DeleteKey(HKEY root, const char* path)
{
    return ::RegDeleteKeyA(root, path);
}
