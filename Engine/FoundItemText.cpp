#include "Engine/FoundItemText.h"

namespace
{
struct RootName
{
    HKEY root;
    const char* name;
};

const RootName kRootNames[] = {
    {HKEY_CLASSES_ROOT, "HKEY_CLASSES_ROOT"},
    {HKEY_CURRENT_USER, "HKEY_CURRENT_USER"},
    {HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE"},
    {HKEY_USERS, "HKEY_USERS"},
    {HKEY_PERFORMANCE_DATA, "HKEY_PERFORMANCE_DATA"},
    {HKEY_CURRENT_CONFIG, "HKEY_CURRENT_CONFIG"},
    {HKEY_DYN_DATA, "HKEY_DYN_DATA"},
};
}

const char* RegistryRootName(HKEY root)
{
    for (const RootName& entry : kRootNames)
        if (entry.root == root)
            return entry.name;
    return "";
}

HKEY RegistryRootFromName(const std::string& name)
{
    for (const RootName& entry : kRootNames)
        if (name == entry.name)
            return entry.root;
    return NULL;
}

std::string FoundKeyText(const std::string& rootName, const std::string& keyPath)
{
    return rootName + "\\" + keyPath;
}

std::string FoundValueText(const std::string& rootName, const std::string& keyPath, const std::string& valueName)
{
    return FoundKeyText(rootName, keyPath) + kItemValueSeparator + valueName;
}
