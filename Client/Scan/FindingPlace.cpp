#include "Client/Scan/FindingPlace.h"

#include <windows.h>
#include <sddl.h>

#include <vector>

#include "Engine/RegistryRootNames.h"
#include "Engine/ScanCategory.h"
#include "Framework/AnsiText.h"
#include "Framework/CHandle.h"
#include "Framework/CLocalMemory.h"

namespace
{
const char kClasses[] = "\\software\\classes";
// Where a finding's root name ends: at its first key, or at the value of the
// root's own key.
const char kRootEnds[] = {'\\', kItemValueSeparator, '\0'};

// True when tail starts with the key path prefix (lower-cased) as a whole
// key: what follows it begins another key or the value. rest is what
// follows.
bool StartsWithKey(const std::string& tail, const std::string& prefix, std::string& rest)
{
    if (prefix.empty() || tail.compare(0, prefix.size(), prefix) != 0)
        return false;
    const size_t end = prefix.size();
    if (end < tail.size() && tail[end] != '\\' && tail[end] != kItemValueSeparator)
        return false;
    rest = tail.substr(end);
    return true;
}

// Registry names are nearly always ASCII (with the separator of a value,
// which has no case), and those lower byte by byte far faster than by the
// code page's rules: an ignore list of 100000 items is read at every scan
// start.
std::string Lowered(std::string text)
{
    for (const char c : text)
        if (static_cast<unsigned char>(c) >= 0x80 && c != kItemValueSeparator)
            return AnsiText::ToLower(std::move(text));
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

std::string ClassesPlace(const std::string& tail)
{
    return "hkey_classes_root" + tail;
}

// A key path of the current user's hive.
std::string UserPlace(const std::string& tail)
{
    std::string rest;
    return StartsWithKey(tail, kClasses, rest) ? ClassesPlace(rest) : "hkey_current_user" + tail;
}
}

FindingPlace::FindingPlace(std::string userSid)
{
    if (userSid.empty())
        return;
    m_userHive = "\\" + Lowered(std::move(userSid));
    m_userClasses = m_userHive + "_classes";
}

std::string FindingPlace::CurrentUserSid()
{
    CHandle token;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, token.Receive()))
        return std::string();
    DWORD size = 0;
    ::GetTokenInformation(token.Get(), TokenUser, nullptr, 0, &size);
    std::vector<BYTE> user(size ? size : 1);
    if (!::GetTokenInformation(token.Get(), TokenUser, user.data(), size, &size))
        return std::string();
    LPSTR text = nullptr;
    if (!::ConvertSidToStringSidA(reinterpret_cast<const TOKEN_USER*>(user.data())->User.Sid, &text))
        return std::string();
    const CLocalMemory owned(text);
    return text;
}

const FindingPlace& FindingPlace::ForCurrentUser()
{
    static const FindingPlace places(CurrentUserSid());
    return places;
}

std::string FindingPlace::Of(const std::string& finding) const
{
    const size_t rootEnd = finding.find_first_of(kRootEnds);
    const HKEY root = NamedRegistryRootNoCase(finding.substr(0, rootEnd));
    if (!root)
        return finding;
    const std::string tail = rootEnd == std::string::npos ? std::string() : Lowered(finding.substr(rootEnd));
    std::string rest;
    if (root == HKEY_CLASSES_ROOT)
        return ClassesPlace(tail);
    if (root == HKEY_CURRENT_USER)
        return UserPlace(tail);
    if (root == HKEY_LOCAL_MACHINE && StartsWithKey(tail, kClasses, rest))
        return ClassesPlace(rest);
    if (root == HKEY_USERS && StartsWithKey(tail, m_userClasses, rest))
        return ClassesPlace(rest);
    if (root == HKEY_USERS && StartsWithKey(tail, m_userHive, rest))
        return UserPlace(rest);
    return Lowered(finding.substr(0, rootEnd)) + tail;
}
