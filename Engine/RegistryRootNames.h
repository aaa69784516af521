#pragma once
// Contract of Quillomar.exe and qmsag.dll: shared by both binaries and frozen
// (a change breaks a program or engine built apart from the other). It passes
// standard-library types, so both must come from one build with one runtime.
#include <windows.h>

#include <cstddef>
#include <string>

#include "Framework/AnsiText.h"

// A predefined registry key and its full name, as findings and backup files
// spell it ("HKEY_LOCAL_MACHINE").
struct RegistryRootEntry
{
    HKEY root;
    const char* name;
};

// The five roots a finding or a backup names, in the order a full backup
// writes them; then the two the system has besides, which only ever get a
// name and are never looked up by one.
inline const RegistryRootEntry kRegistryRoots[] = {
    {HKEY_CLASSES_ROOT, "HKEY_CLASSES_ROOT"},
    {HKEY_CURRENT_USER, "HKEY_CURRENT_USER"},
    {HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE"},
    {HKEY_USERS, "HKEY_USERS"},
    {HKEY_CURRENT_CONFIG, "HKEY_CURRENT_CONFIG"},
    {HKEY_PERFORMANCE_DATA, "HKEY_PERFORMANCE_DATA"},
    {HKEY_DYN_DATA, "HKEY_DYN_DATA"},
};
inline constexpr size_t kNamedRegistryRootCount = 5;

// The full name of a predefined key; empty for any other handle.
inline const char* RegistryRootName(HKEY root)
{
    for (const RegistryRootEntry& entry : kRegistryRoots)
        if (entry.root == root)
            return entry.name;
    return "";
}

// The predefined key of that exact (case-sensitive) name, or NULL.
inline HKEY RegistryRootFromName(const std::string& name)
{
    for (const RegistryRootEntry& entry : kRegistryRoots)
        if (name == entry.name)
            return entry.root;
    return NULL;
}

// One of the five named roots, its name compared without regard to case
// (findings may be lower-cased); NULL for any other name. The names are
// ASCII, so an ASCII comparison is exact and needs no locale.
inline HKEY NamedRegistryRootNoCase(const std::string& name)
{
    for (size_t i = 0; i < kNamedRegistryRootCount; ++i)
        if (AnsiText::EqualsAsciiNoCase(name, kRegistryRoots[i].name))
            return kRegistryRoots[i].root;
    return NULL;
}
