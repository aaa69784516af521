#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "Framework/CRegKey.h"

// Registry key paths as findings and backup files spell them: a root name
// ("HKEY_LOCAL_MACHINE"), a backslash, the key path.
namespace RegistryKeyPath
{
// The predefined key of one of the five root names, compared without regard
// to case; NULL for any other name.
HKEY RootFromName(const std::string& name);
// Splits at the first backslash; the rest is empty when there is none.
void SplitRoot(const std::string& path, std::string& rootName, std::string& rest);
// Splits at every backslash; empty components stay.
std::vector<std::string> Split(const std::string& path);
// Opens root\path one level at a time, each relative to its parent's handle,
// so that no single call carries a long path (Wine refuses more than 260
// characters in one ANSI call). Every level but the last is opened with
// MAXIMUM_ALLOWED; view is 0 or a KEY_WOW64_* flag added to every level.
LONG OpenByLevels(HKEY root, const std::string& path, REGSAM access, REGSAM view, CRegKey& key);
// False for paths whose deletion would take out far more than one finding:
// roots, paths of fewer than three components (a classes path counts as if
// under HKEY_LOCAL_MACHINE\Software\Classes, a user's as if under
// HKEY_CURRENT_USER), paths with empty components, and the keys the scanners
// only walk through (Run, Uninstall, App Paths, CLSID ...) and their parents.
bool IsDeletableKeyPath(const std::string& keyPath);
}
