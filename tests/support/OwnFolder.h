#pragma once
#include <string>

// The program's classes keep their files beside the program (settings,
// ignore and white lists, scan logs, backups), and so do the tests that hold
// them. So that no run leaves anything beside the binaries for the next to
// read, every test program runs as a copy of itself in a fresh folder of its
// own, with the libraries that lie beside it; the original only starts the
// copy and hands on its exit code.
namespace OwnFolder
{
// In the original: runs the copy with the same arguments and returns its exit
// code (true). In the copy: false, and the tests run here.
bool RunCopy(int* exitCode);
// The folder of the build's binaries (Quillomar.exe, its engine and the test
// libraries), wherever this test program runs; ends in "\".
std::string BinariesFolder();
}
