#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "Engine/CTolvEngineProcess.h"
#include "Engine/ScanCategory.h"
#include "support/RecordingStatus.h"

// Reaches the job object's inside: whether it judges a 64-bit Windows (its
// WOW64 flag) and the status throttle.
class ScanTestJob : public CTolvEngineProcess
{
public:
    void Set64BitWindows(int on) { m_bWow64 = on; }
    // Shows the throttled status of one item, as a scanner does.
    void ShowItem(CAbstractStatus* sink, const std::string& text, int threshold)
    {
        m_pStatus = sink;
        ShowThrottledStatus(text, "F", threshold);
        m_pStatus = nullptr;
    }
    void StartCategory() { m_nStatusThrottle = kStatusThrottleStart; }
};

// Switches WOW64 file-system redirection off for the calling thread, as the
// scan job does for its own.
class RedirectionOff
{
public:
    RedirectionOff();
    ~RedirectionOff();
    RedirectionOff(const RedirectionOff&) = delete;
    RedirectionOff& operator=(const RedirectionOff&) = delete;

private:
    PVOID m_old = nullptr;
    bool m_off = false;
};

namespace ScanTest
{
std::string ShellFolder(int csidl);
std::string WindowsFolder();
// The folder 32-bit programs see as their system folder: SysWOW64 on a
// 64-bit Windows, else the system folder.
std::string ThirtyTwoBitSystemFolder();
// Writes a small file, creating its folders.
bool PlantFile(const std::string& path);
// Creates the key (in the given view) and sets a string value.
bool SetValue(HKEY root, const std::string& key, const std::string& name, const std::string& value,
              REGSAM view = 0);
bool SetEmptyBinaryValue(HKEY root, const std::string& key, const std::string& name);
// Deletes every value of the key and all its subkeys; the key stays.
void ClearKey(HKEY root, const std::string& key, REGSAM view = 0);
bool CreateKey(HKEY root, const std::string& key);
// Lets everyone do everything with the key but set its values, or undoes that.
bool DenySetValue(HKEY root, const std::string& key);
bool AllowEverything(HKEY root, const std::string& key);
// A scan of the given categories through the job object; the sink's calls.
std::vector<RecordingStatus::Call> RunScan(CTolvEngineProcess& job, RecordingStatus& status, DWORD mask);
std::string Upper(std::string text);
std::string Lower(std::string text);
}
