#include "Client/Scan/FindingPresence.h"

#include <vector>

#include "Engine/RegistryRootNames.h"
#include "Engine/ScanCategory.h"
#include "Framework/AnsiText.h"
#include "Framework/CRegKey.h"
#include "Framework/Wow64.h"

namespace FindingPresence
{
namespace
{
Presence FromError(LONG error)
{
    if (error == ERROR_SUCCESS)
        return kPresent;
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? kGone : kUnknown;
}

// Opens the key one level at a time, as the engine does: Wine refuses longer
// paths than 260 characters in one call.
LONG OpenKey(const std::string& keyText, REGSAM view, CRegKey& key)
{
    const size_t slash = keyText.find('\\');
    const HKEY root = NamedRegistryRootNoCase(keyText.substr(0, slash));
    if (!root)
        return ERROR_INVALID_PARAMETER;
    key.Attach(root);
    if (slash == std::string::npos)
        return ERROR_SUCCESS;
    size_t start = slash + 1;
    while (start <= keyText.size())
    {
        size_t end = keyText.find('\\', start);
        if (end == std::string::npos)
            end = keyText.size();
        const std::string level = keyText.substr(start, end - start);
        if (level.empty())
            return ERROR_INVALID_PARAMETER;
        CRegKey next;
        const LONG error = next.Open(key.Get(), level.c_str(), KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS | view);
        if (error != ERROR_SUCCESS)
            return error;
        key = std::move(next);
        start = end + 1;
    }
    return ERROR_SUCCESS;
}

Presence CheckKey(const std::string& keyText, REGSAM view)
{
    CRegKey key;
    return FromError(OpenKey(keyText, view, key));
}

Presence CheckValue(const std::string& keyText, const std::string& valueName, REGSAM view)
{
    CRegKey key;
    const LONG opened = OpenKey(keyText, view, key);
    if (opened != ERROR_SUCCESS)
        return FromError(opened);
    const bool unnamed = valueName.empty() || AnsiText::ToLower(valueName) == "(default)";
    DWORD size = 0;
    const LONG error = ::RegQueryValueExA(key.Get(), unnamed ? nullptr : valueName.c_str(), nullptr, nullptr,
                                          nullptr, &size);
    // The unnamed value that cannot be deleted is emptied instead.
    if (unnamed && error == ERROR_SUCCESS && size <= 1)
        return kGone;
    return FromError(error);
}

Presence CheckFile(const std::string& path)
{
    if (path.empty())
        return kUnknown;
    if (::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES)
        return kPresent;
    return FromError(static_cast<LONG>(::GetLastError()));
}

Presence CheckRegistry(const std::string& text, REGSAM view)
{
    const size_t separator = text.find(kItemValueSeparator);
    if (separator != std::string::npos)
        return CheckValue(text.substr(0, separator), text.substr(separator + 1), view);
    if (text.find('\\') == std::string::npos)
        return kUnknown;
    return CheckKey(text, view);
}
}

Presence Check(const std::string& text, DWORD category)
{
    if (category & kScanShortcuts)
        return CheckFile(text);
    const Presence own = CheckRegistry(text, 0);
    const REGSAM otherView = Wow64::OtherView();
    if (own == kPresent || !otherView)
        return own;
    // Some scanners read the other view of a 64-bit Windows too: gone means
    // gone from both.
    const Presence other = CheckRegistry(text, otherView);
    if (other == kPresent)
        return kPresent;
    return own == kGone && other == kGone ? kGone : kUnknown;
}
}
