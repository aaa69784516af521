#pragma once
#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "Client/Shell/CRegClientApp.h"
#include "Client/Shell/CRegClientDlg.h"
#include "support/FakeJobObject.h"

// A job object whose repair the test writes: the body runs on a thread of
// its own, as the engine's would, and its result is the job's.
class ScriptedRepairJob : public FakeJobObject
{
public:
    ~ScriptedRepairJob() override { Join(); }

    std::function<int(CAbstractScanItemsInfo&)> body;
    int startResult = 0;
    std::atomic<int> starts{0};

    BOOL WaitOrRelease(int) override
    {
        Join();
        return TRUE;
    }
    BOOL Resume() override;
    int GetJobType() override { return 4; }
    int StartRepair(CAbstractScanItemsInfo* store, CAbstractStatus* sink) override;

private:
    CAbstractScanItemsInfo* m_store = nullptr;
    CAbstractStatus* m_sink = nullptr;
};

// Answers the next message box of this process with button, from a thread
// of its own, while the test's thread runs the box; keeps its text.
class MessageBoxAnswer
{
public:
    explicit MessageBoxAnswer(int button = IDOK, DWORD milliseconds = 10000);
    ~MessageBoxAnswer();
    // Waits for the answer; the box's text, empty when none came.
    std::string Text();
    // The box came and went, or none came in time.
    bool Ended() const { return m_ended; }

private:
    std::thread m_thread;
    std::string m_text;
    std::atomic<bool> m_ended{false};
};

// The real main window, made here without its modal loop, with the results
// page on it and a fresh results store; the test's thread runs the windows.
class ResultsPageTest : public testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // Through the scan road, which makes the page when it is first needed.
    CScanResultDlg& Page() { return theApp.m_scanWorkflow.Results(); }
    CScanItemsInfo& Store() { return *m_store; }
    // Puts findings into the store and shows them as a finished scan would.
    void ShowFindings(const std::vector<std::pair<DWORD, std::string>>& findings, DWORD mask);
    // The tree's rows in order: depth 0 roots, depth 1 findings.
    struct Row
    {
        int depth;
        std::string text;
        int state;
    };
    std::vector<Row> TreeRows();
    HTREEITEM FindLeaf(const std::string& text);
    std::string ControlText(int id);
    bool IsShown(int id);
    bool IsEnabled(int id);
    // The page's Ignore on the selected row, and the wait for the list's
    // write on its worker.
    void IgnoreSelected();
    // Runs the thread's messages until done holds or the time is up.
    bool PumpUntil(const std::function<bool()>& done, DWORD milliseconds = 20000);
    void Pump(DWORD milliseconds);
    bool RepairEnded();

    ScriptedRepairJob m_job;
    std::unique_ptr<CScanItemsInfo> m_store;
    std::unique_ptr<CRegClientDlg> m_window;
};

// Registry findings under HKEY_CURRENT_USER\Software\QmResultsTest.
namespace PlantedFindings
{
extern const char* const kKey;
// The text of a value finding for value name under key (relative to kKey).
std::string ValueText(const std::string& key, const std::string& name);
std::string KeyText(const std::string& key);
bool PlantValue(const std::string& key, const std::string& name);
bool PlantKey(const std::string& key);
bool ValueExists(const std::string& key, const std::string& name);
bool KeyExists(const std::string& key);
void RemoveAll();
// Deletes what a finding names, as the engine's repair would.
bool DeleteFinding(const std::string& text);
}
