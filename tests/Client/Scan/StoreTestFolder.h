#pragma once
#include <string>

// The store keeps its files beside the program. So that every test starts
// with a folder of its own, the test runs again in a copy of this program
// placed in a fresh folder, and the original only reports the copy's result.
//
//   TEST(Suite, Name)
//   {
//       if (!RunInOwnFolder())
//           return;
//       ... the test, now in the copy ...
//   }
//
// True inside the copy; false in the original once the copy has ended.
bool RunInOwnFolder();

std::string FileBytes(const std::string& path);
// The ignore list beside the program, as bytes.
void PlantIgnoreList(const std::string& bytes);
std::string IgnoreListBytes();
