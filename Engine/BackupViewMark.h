#pragma once
#include <string>

// How a backup file says that it holds the native view of a 64-bit Windows.
// The "registry" element carries view="64", and the root of every chain is
// spelt with a suffix. A program that knows no view mark ignores the
// attribute and would restore the keys into its own view (for a 32-bit
// program, below Wow6432Node, where they never were); a root it cannot name
// makes it restore nothing at all.
namespace BackupViewMark
{
const char kAttribute[] = "view";
const char kNativeView[] = "64";
const char kRootSuffix[] = " (64-bit view)";

inline std::string MarkedRootName(const std::string& rootName)
{
    return rootName + kRootSuffix;
}

// The root name without the suffix; false, changing nothing, when it has
// none.
inline bool StripRootSuffix(std::string& name)
{
    const size_t length = sizeof(kRootSuffix) - 1;
    if (name.size() <= length || name.compare(name.size() - length, length, kRootSuffix) != 0)
        return false;
    name.erase(name.size() - length);
    return true;
}
}
