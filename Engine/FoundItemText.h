#pragma once
#include <windows.h>

#include <string>

#include "Engine/ScanCategory.h"

// The full name of a predefined registry key ("HKEY_LOCAL_MACHINE"); empty
// for any other handle.
const char* RegistryRootName(HKEY root);
// The predefined key of that exact (case-sensitive) name, or NULL.
HKEY RegistryRootFromName(const std::string& name);

// The text of a key finding: root name, backslash, key path.
std::string FoundKeyText(const std::string& rootName, const std::string& keyPath);
// The text of a value finding: the key text, the separator, the value name
// (empty for the unnamed value).
std::string FoundValueText(const std::string& rootName, const std::string& keyPath, const std::string& valueName);
