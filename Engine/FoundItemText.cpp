#include "Engine/FoundItemText.h"

std::string FoundKeyText(const std::string& rootName, const std::string& keyPath)
{
    return rootName + "\\" + keyPath;
}

std::string FoundValueText(const std::string& rootName, const std::string& keyPath, const std::string& valueName)
{
    return FoundKeyText(rootName, keyPath) + kItemValueSeparator + valueName;
}
