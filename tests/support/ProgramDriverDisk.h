#pragma once
#include <string>

// Roads for tests of a full disk: the program's folder on a small file system
// of its own (scripts/with-small-disk.sh mounts one and names it in
// QM_SMALL_DISK), and that file system filled up at the moment the test
// chooses.
namespace ProgramDriver
{
// The small file system's folder as the program sees it (ending in "\"), or
// an empty text when the test runs without one.
std::string SmallDiskFolder();
// As MakeProgramFolder, on the small file system; empty without one.
std::string MakeProgramFolderOnSmallDisk(const std::string& name);
// Fills the file system that holds folder with one file until no byte more
// goes in; false when it never filled.
bool FillDisk(const std::string& folder);
// Gives the room back.
void FreeDisk(const std::string& folder);
}
