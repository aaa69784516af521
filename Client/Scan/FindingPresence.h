#pragma once
#include <windows.h>

#include <string>

// Whether what a finding names is still there: a registry value, a registry
// key or a file, as the finding's text and category say. The results page
// asks after a repair, so that only findings that are really gone count as
// repaired; the engine reports no outcome per finding.
namespace FindingPresence
{
enum Presence
{
    kGone,
    kPresent,
    // The check could not tell (access denied, a text that names nothing
    // this check knows); such a finding is not counted as repaired.
    kUnknown
};

Presence Check(const std::string& text, DWORD category);
inline bool IsGone(const std::string& text, DWORD category)
{
    return Check(text, category) == kGone;
}
}
