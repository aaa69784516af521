#pragma once
#include <windows.h>

#include <string>

#include "Engine/RegistryRootNames.h"
#include "Engine/ScanCategory.h"

// The text of a key finding: root name, backslash, key path.
std::string FoundKeyText(const std::string& rootName, const std::string& keyPath);
// The text of a value finding: the key text, the separator, the value name
// (empty for the unnamed value).
std::string FoundValueText(const std::string& rootName, const std::string& keyPath, const std::string& valueName);
