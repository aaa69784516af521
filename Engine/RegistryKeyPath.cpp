#include "Engine/RegistryKeyPath.h"

#include "Engine/RegistryRootNames.h"
#include "Framework/AnsiText.h"

namespace
{
// Keys below a machine or user root that the scanners walk through for their
// findings, lower case. Their parents are kept as well.
const char* const kWalkedKeys[] = {
    "software\\microsoft\\windows\\currentversion\\run",
    "software\\microsoft\\windows\\currentversion\\runonce",
    "software\\microsoft\\windows\\currentversion\\runonceex",
    "software\\microsoft\\windows\\currentversion\\uninstall",
    "software\\microsoft\\windows\\currentversion\\app paths",
    "software\\microsoft\\windows\\currentversion\\shareddlls",
    "software\\microsoft\\windows\\currentversion\\installer\\folders",
    "software\\microsoft\\windows\\currentversion\\explorer\\menuorder\\start menu\\programs",
    "software\\microsoft\\windows\\currentversion\\explorer\\menuorder\\start menu2\\programs",
    "software\\microsoft\\windows\\currentversion\\explorer\\fileexts",
    "software\\microsoft\\windows nt\\currentversion\\fonts",
    "software\\microsoft\\windows\\help",
    "software\\microsoft\\windows\\html help",
    "software\\microsoft\\htmlhelp\\2.0\\localreg\\clsid",
    "system\\currentcontrolset\\services",
};

// Keys directly below the classes root that hold every class, interface and
// type library.
const char* const kWalkedClassKeys[] = {"clsid", "interface", "typelib", "appid"};

std::string Join(const std::vector<std::string>& parts, size_t first)
{
    std::string text;
    for (size_t i = first; i < parts.size(); ++i)
    {
        if (i > first)
            text += '\\';
        text += parts[i];
    }
    return text;
}

bool IsNumberedControlSet(const std::string& name)
{
    if (name.size() != 13 || name.compare(0, 10, "controlset") != 0)
        return false;
    for (size_t i = 10; i < 13; ++i)
        if (name[i] < '0' || name[i] > '9')
            return false;
    return true;
}

bool IsDeletableClassPath(std::vector<std::string> parts)
{
    if (!parts.empty() && parts[0] == "wow6432node")
        parts.erase(parts.begin());
    if (parts.empty())
        return false;
    const std::string joined = Join(parts, 0);
    for (const char* walked : kWalkedClassKeys)
        if (joined == walked)
            return false;
    return true;
}
}

namespace RegistryKeyPath
{
HKEY RootFromName(const std::string& name)
{
    return NamedRegistryRootNoCase(name);
}

void SplitRoot(const std::string& path, std::string& rootName, std::string& rest)
{
    const size_t slash = path.find('\\');
    rootName = path.substr(0, slash);
    rest = slash == std::string::npos ? std::string() : path.substr(slash + 1);
}

std::vector<std::string> Split(const std::string& path)
{
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;)
    {
        const size_t slash = path.find('\\', start);
        parts.push_back(path.substr(start, slash == std::string::npos ? std::string::npos : slash - start));
        if (slash == std::string::npos)
            return parts;
        start = slash + 1;
    }
}

LONG OpenByLevels(HKEY root, const std::string& path, REGSAM access, REGSAM view, CRegKey& key)
{
    key.Close();
    if (path.empty())
        return key.Open(root, "", access | view);
    const std::vector<std::string> parts = Split(path);
    CRegKey parent(root);
    for (size_t i = 0; i < parts.size(); ++i)
    {
        const bool last = i + 1 == parts.size();
        CRegKey level;
        const LONG rc = level.Open(parent.Get(), parts[i].c_str(), (last ? access : MAXIMUM_ALLOWED) | view);
        if (rc != ERROR_SUCCESS)
            return rc;
        parent = std::move(level);
    }
    key = std::move(parent);
    return ERROR_SUCCESS;
}

bool IsDeletableKeyPath(const std::string& keyPath)
{
    std::string rootName;
    std::string rest;
    SplitRoot(keyPath, rootName, rest);
    const HKEY root = RootFromName(rootName);
    if (!root || rest.empty())
        return false;
    std::vector<std::string> parts = Split(AnsiText::ToLower(rest));
    for (const std::string& part : parts)
        if (part.empty())
            return false;

    if (root == HKEY_CLASSES_ROOT)
        return IsDeletableClassPath(parts);
    if (root == HKEY_USERS)
    {
        // The first level is a user's hive: what follows counts as under
        // HKEY_CURRENT_USER, or under the classes root for "..._Classes".
        const std::string hive = parts[0];
        parts.erase(parts.begin());
        const std::string classesSuffix = "_classes";
        if (hive.size() > classesSuffix.size() &&
            hive.compare(hive.size() - classesSuffix.size(), classesSuffix.size(), classesSuffix) == 0)
            return IsDeletableClassPath(parts);
    }
    if (parts.size() >= 2 && parts[0] == "software" && parts[1] == "wow6432node")
        parts.erase(parts.begin() + 1);
    if (parts.size() >= 2 && parts[0] == "software" && parts[1] == "classes")
        return IsDeletableClassPath(std::vector<std::string>(parts.begin() + 2, parts.end()));
    if (parts.size() >= 2 && parts[0] == "system" && IsNumberedControlSet(parts[1]))
        parts[1] = "currentcontrolset";

    // The root and its first level.
    if (parts.size() < 2)
        return false;
    const std::string joined = Join(parts, 0);
    for (const char* walked : kWalkedKeys)
    {
        const std::string container = walked;
        if (joined == container ||
            (container.size() > joined.size() && container.compare(0, joined.size(), joined) == 0 &&
             container[joined.size()] == '\\'))
            return false;
    }
    return true;
}
}
