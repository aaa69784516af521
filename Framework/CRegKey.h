#pragma once
#include <windows.h>
#include <string>

// Owns one open registry key and closes it. The predefined root keys may be
// held too; they are never closed.
class CRegKey
{
public:
    CRegKey() = default;
    explicit CRegKey(HKEY h) : m_h(h) {}
    ~CRegKey() { Close(); }

    CRegKey(const CRegKey&) = delete;
    CRegKey& operator=(const CRegKey&) = delete;
    CRegKey(CRegKey&& other) noexcept : m_h(other.Detach()) {}
    CRegKey& operator=(CRegKey&& other) noexcept
    {
        if (this != &other)
            Attach(other.Detach());
        return *this;
    }

    // Each returns the Windows error code (ERROR_SUCCESS when the key is open).
    LONG Open(HKEY parent, const char* path, REGSAM access);
    LONG Create(HKEY parent, const char* path, REGSAM access, DWORD* disposition = nullptr);

    void Attach(HKEY h);
    HKEY Detach();
    void Close();

    LONG QueryDword(const char* name, DWORD& value) const;
    // Reads a REG_SZ or REG_EXPAND_SZ value; the text ends at its terminator or
    // at the end of the stored data, whichever comes first.
    LONG QueryString(const char* name, std::string& value) const;
    LONG SetDword(const char* name, DWORD value);
    LONG SetString(const char* name, const std::string& value, DWORD type = REG_SZ);
    LONG DeleteValue(const char* name);

    HKEY Get() const { return m_h; }
    bool IsOpen() const { return m_h != NULL; }
    explicit operator bool() const { return IsOpen(); }

    static bool IsPredefined(HKEY h);

private:
    HKEY m_h = NULL;
};
