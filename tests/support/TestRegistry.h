#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "Framework/CHandle.h"

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
// The file's bytes; empty when it cannot be read. Others may write it meanwhile.
std::string ReadFile(const std::string& path);
bool FileExists(const std::string& path);
// Adds the line and a line break at the end of the file, creating it, and
// flushes it, so that a report survives a process that ends right after.
bool AppendLine(const std::string& path, const std::string& line);
// The names of the files and folders that match the pattern (a path with
// wildcards in its last part).
std::vector<std::string> NamesMatching(const std::string& pattern);
// Start-up information that hands this process's standard handles on to a
// child started with handle inheritance.
STARTUPINFOA WithOurStandardHandles();
STARTUPINFOA PlainStartup();

// What a test gives to start a process. Left as they are: the program is the
// command line's first word, the folder and environment are this process's,
// no handle is inherited and no creation flag given.
struct ProcessStart
{
    std::string program;
    std::string commandLine;
    std::string folder;
    // CREATE_SUSPENDED, CREATE_NO_WINDOW, ...
    DWORD flags = 0;
    bool inheritHandles = false;
    // "NAME=value" lines, each ended by a NUL, and one NUL more at the end.
    std::string environment;
    STARTUPINFOA startup = PlainStartup();
};

// A started process, whose handles are closed with it. Wine starts a Unix
// program without giving its handles: started, with no handle to wait on.
struct StartedProcess
{
    bool started = false;
    CHandle process;
    CHandle thread;
    DWORD id = 0;
    explicit operator bool() const { return started; }
};

// The one way the tests start a process: CreateProcessA, tried again a few
// times when Wine answers with an internal error. When it gives no process,
// GetLastError tells why.
StartedProcess StartProcess(const ProcessStart& start);
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

// Gives a key (in view) the access an SDDL DACL describes for everyone, as a
// user without rights to it would meet it; true when it was set.
bool SetKeyAccess(HKEY root, const std::string& key, const char* dacl, REGSAM view = 0);

// SetKeyAccess for as long as it lives: puts the key's own DACL back when it
// ends, whatever the test did meanwhile.
class KeyAccess
{
public:
    KeyAccess(HKEY root, const std::string& key, const char* dacl, REGSAM view = 0);
    ~KeyAccess();
    KeyAccess(const KeyAccess&) = delete;
    KeyAccess& operator=(const KeyAccess&) = delete;
    bool Applied() const { return m_applied; }

    // Reading only; the test may still put the DACL back.
    static constexpr const char* kReadOnly = "D:P(A;;KRWD;;;WD)";
    // Nobody may open the key.
    static constexpr const char* kClosed = "D:P";

private:
    HKEY m_root;
    std::string m_key;
    REGSAM m_view;
    std::vector<BYTE> m_original;
    bool m_applied = false;
};
}
