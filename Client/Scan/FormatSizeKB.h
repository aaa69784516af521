#pragma once
#include <string>

// A size in kilobytes as the pages show it: "%.0fKB", "%.0fMB", "%.1fGB" or
// "%.2fTB"; each unit starts strictly above the last one's 1024 (so 1024 KB
// stays "1024KB").
std::string FormatSizeKB(double kb);
