#pragma once
#include <windows.h>

#include <string>

// Small helpers shared by the tests: facts about the Windows the test runs
// on, and scratch registry keys and files that clean up after themselves.
namespace TestEnv
{
// The three configurations the tests run in: a 32-bit build on a 64-bit
// Windows (IsWow64), a 32-bit build on a 32-bit Windows, and a 64-bit build
// on a 64-bit Windows. Expectations speak of this process's own view and the
// other view, which exists on a 64-bit Windows only.
bool IsWow64();
bool Is64BitWindows();
// The flag that opens the other view; 0 on a 32-bit Windows.
REGSAM OtherView();
// "wow64", "win32" or "win64", for names of screenshots and reports.
const char* Configuration();
// The 64-bit system folder as a 32-bit program can reach it (redirection off).
bool WriteNativeSystemFile(const std::string& name, const std::string& content);
bool WriteFile(const std::string& path, const std::string& content);
bool FileExists(const std::string& path);
// A value of section "SETTINGS" of the program's settings file at iniPath;
// fallback when the file or the value is missing.
std::string SettingsValue(const std::string& iniPath, const char* name, const char* fallback = "<missing>");
// A fresh empty folder under the prefix's temporary folder, ending in "\".
std::string MakeScratchFolder(const std::string& name);
// Sets a REG_SZ value, creating the key; true on success.
bool SetString(HKEY root, const std::string& key, const std::string& name, const std::string& value,
               DWORD type = REG_SZ);
bool DeleteTree(HKEY root, const std::string& key);
bool ValueExists(HKEY root, const std::string& key, const std::string& name);
bool KeyExists(HKEY root, const std::string& key);
}
