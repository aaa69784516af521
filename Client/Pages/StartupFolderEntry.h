#pragma once
#include <string>

// One file of a Startup folder, or one record of a file that was disabled
// and moved into the "pss" folder.
struct StartupFolderEntry
{
    // The file name without its last extension.
    std::string item;
    // A shortcut's target, else the file's full path.
    std::string command;
    // Where the file is kept while disabled.
    std::string backup;
    // "Startup" or "Common Startup".
    std::string location;
    // The full path the file has while enabled.
    std::string path;
    // The record's name: the path with every "\" replaced by "^".
    std::string key;
    int disabled = 0;
    int common = 0;
};
