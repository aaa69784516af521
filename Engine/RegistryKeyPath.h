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
// Opens root\path with one call. A path too long for one ANSI call (which
// takes at most 259 characters) is opened in pieces, each relative to the
// handle of the one before and opened with MAXIMUM_ALLOWED. view is 0 or a
// KEY_WOW64_* flag added to every call.
LONG OpenPath(HKEY root, const std::string& path, REGSAM access, REGSAM view, CRegKey& key);
// Replaces the components of an open key's path (root name first) by the
// names the registry stores, from the key's full name: one call, where
// opening every level would take one for each. False, changing nothing,
// when that name does not end in the same components (a key reached
// through a link or a redirected view); a component the ANSI code page
// cannot spell keeps its spelling.
bool SpellAsStored(HKEY key, std::vector<std::string>& components);
// False for paths whose deletion would take out far more than one finding:
// roots, paths of fewer than three components (a classes path counts as if
// under HKEY_LOCAL_MACHINE\Software\Classes, a user's as if under
// HKEY_CURRENT_USER), paths with empty components, and the keys the scanners
// only walk through (Run, Uninstall, App Paths, CLSID ...) and their parents.
bool IsDeletableKeyPath(const std::string& keyPath);
}
