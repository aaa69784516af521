#pragma once
#include <windows.h>
#include <string>

// The folder a module's file lies in. Files that belong beside the program
// (settings, ignore list, backups) are found from here, never from the
// command line or the current folder.
namespace ModulePath
{
// Full path of the module's file; NULL is the program itself.
std::string FileName(HMODULE module = NULL);
// The folder of that file, up to and including its last backslash.
std::string Folder(HMODULE module = NULL);
// The module that holds the calling code (the program or the engine library).
HMODULE CurrentModule();
}
