#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "Engine/CTolvEngineProcess.h"
#include "Engine/ScanCategory.h"
#include "support/RecordingStatus.h"

// A finding as the sink received it.
struct Finding
{
    std::string text;
    DWORD bit = 0;
    bool operator<(const Finding& other) const
    {
        return bit != other.bit ? bit < other.bit : text < other.text;
    }
    bool operator==(const Finding& other) const { return bit == other.bit && text == other.text; }
};
void PrintTo(const Finding& finding, std::ostream* out);

// Reaches the parts of the job object that no job runs, and what a scan
// leaves behind.
class ScanProbe : public CTolvEngineProcess
{
public:
    using CTolvEngineProcess::CanOpenFileReadWrite;
    using CTolvEngineProcess::IsRegisteredApplicationMissing;

    const std::set<std::string>& Folders() const { return m_folders; }
    void DropShellLink() { m_pShellLink.Release(); }
    // Runs one of the checks below on the calling thread, as the job thread would.
    void RunOnThisThread(CAbstractStatus* sink, int throttle = kStatusThrottleStart)
    {
        m_pStatus = sink;
        m_bRunning = 1;
        m_nStatusThrottle = throttle;
    }
    void StopRunning() { m_bRunning = 0; }
    int ScanFolder(const std::string& folder, int mode) { return ScanFolderForShortcuts(folder, mode); }
    int IsBroken(const std::string& path) { return IsShortcutBroken(path); }
    void RecycleBinSize() { ReportRecycleBinSize(); }
    void EventLabels() { ScanEventLabelFiles(); }
    double& RecycleBinKB() { return m_dRecycleBinKB; }
    double TempFilesKB() const { return m_dTempFilesKB; }
};

// Runs a real scan of the categories in mask through the job object and
// gives back every finding, sorted.
std::set<Finding> RunScan(ScanProbe& probe, DWORD mask, RecordingStatus& status,
                          const std::set<std::string>& folders = {"C:"}, int scanOption = 0);
std::set<Finding> RunScan(DWORD mask, const std::set<std::string>& folders = {"C:"});

// Findings of the given texts, all with one bit.
std::set<Finding> FindingsOf(DWORD bit, const std::vector<std::string>& texts);

// Scratch entries of one test, removed again when the test ends, so the
// tests of one prefix do not see each other's plants.
class PlantedEntries : public testing::Test
{
protected:
    void TearDown() override;

    // Creates the key (all levels) in the given registry view and sets a value.
    void SetString(HKEY root, const std::string& key, const std::string& name, const std::string& value,
                   REGSAM view = 0, DWORD type = REG_SZ);
    void SetData(HKEY root, const std::string& key, const std::string& name, DWORD type, const void* data,
                 DWORD size, REGSAM view = 0);
    void CreateKey(HKEY root, const std::string& key, REGSAM view = 0);
    // Lets everyone read the key but nobody open it for setting values.
    void DenyWrite(HKEY root, const std::string& key);
    // Removes a key and all below it when the test ends.
    void RemoveLater(HKEY root, const std::string& key, REGSAM view = 0);
    // Removes a value when the test ends.
    void RemoveValueLater(HKEY root, const std::string& key, const std::string& name, REGSAM view = 0);

    // A file with the given content; removed when the test ends.
    std::string PlantFile(const std::string& path, const std::string& content = "qm");
    // A fresh folder for this test under the temporary folder, ending in "\".
    std::string Scratch();

private:
    struct Planted
    {
        HKEY root;
        std::string key;
        std::string value;
        bool wholeKey;
        REGSAM view;
    };
    std::vector<Planted> m_planted;
    std::vector<std::string> m_files;
    std::string m_scratch;
};

// The system and Windows folders, each ending in "\".
std::string SystemFolder();
std::string WindowsFolder();

// WOW64 folds: a file only in the native system folder (redirection off).
bool WriteNativeSystemFile(const std::string& name);
// A file only in the 32-bit system folder of a 64-bit Windows ("syswow64").
bool Write32BitSystemFile(const std::string& name);
void RemoveSystemFiles(const std::string& name);
