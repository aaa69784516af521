#pragma once
#include <cstddef>
#include <string>

class CTolvEngineProcess;

// Where the folder of one path variable comes from.
enum PathVariableSource
{
    kFolderWindowsDrive,   // the first two characters of the Windows folder
    kFolderTempParent,     // the temporary folder without its last 6 characters
    kFolderShell,          // SHGetFolderPathA with the row's CSIDL
    kFolderTemp,           // the temporary folder as returned, with its backslash
};

// What the WOW64 folding does to a text after its variable was expanded.
enum PathVariableFolding
{
    kFoldNone,             // not folded at all
    kFoldLowerCase,        // only lower-cased
    kFoldSystemFolder,     // "syswow64" back to "system32"
    kFoldProgramFiles,     // "program files (x86)" back to "program files"
};

struct PathVariable
{
    const char* token;
    PathVariableSource source;
    int csidl;             // for kFolderShell (and the drive, read from CSIDL_WINDOWS)
    PathVariableFolding folding;
};

// The folder variables the engine understands, in the order they are tried.
extern const PathVariable PathVariableTable[];
extern const size_t PathVariableCount;

// Reads the folder that the row stands for; false when the system refuses it.
bool ReadPathVariableFolder(const PathVariable& variable, std::string& folder);

// Lower-cases text, then replaces every occurrence of the first variable of
// the table found in it by its folder; under WOW64 folds the 32-bit folder
// names back to the native ones. 1 when something was replaced.
int ExpandPathVariables(std::string& text, const CTolvEngineProcess& job);
