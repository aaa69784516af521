#include "Client/Scan/ResultsPageFixture.h"

#include <commctrl.h>

#include "Client/res/ScanResultsResource.h"
#include "Client/res/ShellResource.h"
#include "Engine/ScanCategory.h"
#include "support/MessagePump.h"
#include "support/ProgramDriver.h"
#include "support/TestRegistry.h"

// The program's application object, as the program itself has it.
CRegClientApp theApp;

int ScriptedRepairJob::StartRepair(CAbstractScanItemsInfo* store, CAbstractStatus* sink)
{
    ++starts;
    if (startResult == -1 || !store || !sink || busy)
        return -1;
    Join();
    m_store = store;
    m_sink = sink;
    return 1;
}

BOOL ScriptedRepairJob::Resume()
{
    if (!m_sink || busy)
        return FALSE;
    busy = 1;
    RunOnThread([this] {
        const int result = body ? body(*m_store) : 0;
        m_sink->OnProgress(2);
        m_sink->SetStatusText("", "Scanning");
        busy = 0;
        m_sink->OnJobFinished(result);
    });
    return TRUE;
}

MessageBoxAnswer::MessageBoxAnswer(int button, DWORD milliseconds)
{
    m_thread = std::thread([this, button, milliseconds] {
        const HWND box = ProgramDriver::WaitForMessageBoxOf(::GetCurrentProcessId(), milliseconds);
        if (box)
        {
            m_text = ProgramDriver::MessageBoxText(box);
            ProgramDriver::PressButton(box, button);
            for (int i = 0; i < 100 && ::IsWindow(box); ++i)
                ::Sleep(50);
        }
        m_ended = true;
    });
}

MessageBoxAnswer::~MessageBoxAnswer()
{
    if (m_thread.joinable())
        m_thread.join();
}

std::string MessageBoxAnswer::Text()
{
    if (m_thread.joinable())
        m_thread.join();
    return m_text;
}

void ResultsPageTest::IgnoreSelected()
{
    Page().OnIgnoreItem();
    EXPECT_TRUE(PumpUntil([this] { return Store().TakeIgnoreAddition() != CScanItemsInfo::ListChange::kPending; }));
}

void ResultsPageTest::SetUp()
{
    m_store.reset(new CScanItemsInfo());
    theApp.m_pScanItems = m_store.get();
    theApp.m_pEngineProcess = &m_job;
    // The settings file beside the program: a test that writes statistics
    // runs in a folder of its own.
    theApp.LoadSettings();
    theApp.m_cmdInfo = CCommandLineInfoEx();
    theApp.m_settings = SettingsRecord();
    theApp.m_bSiblingInstalled = 1;
    m_window.reset(new CRegClientDlg());
    ASSERT_TRUE(m_window->Create(IDD_MAIN_WINDOW, nullptr));
    m_window->ShowWindow(SW_SHOW);
    ASSERT_TRUE(Page().GetSafeHwnd() != NULL) << "the main window made no results page";
    Page().ShowWindow(SW_SHOW);
    Pump(100);
}

void ResultsPageTest::TearDown()
{
    m_job.WaitOrRelease(0);
    Pump(100);
    if (m_window)
        m_window->DestroyWindow();
    m_window.reset();
    theApp.m_pScanItems = nullptr;
    theApp.m_pEngineProcess = nullptr;
    m_store.reset();
    PlantedFindings::RemoveAll();
}

void ResultsPageTest::ShowFindings(const std::vector<std::pair<DWORD, std::string>>& findings, DWORD mask)
{
    m_store->Clear();
    for (const auto& finding : findings)
        m_store->AddFoundItem(finding.second.c_str(), finding.first, 0, 0);
    CScanResultDlg& page = Page();
    CScanResultDlg::CategoryCounts counts;
    page.CountAllErrors(counts);
    int offered = 0;
    for (const auto& count : counts)
        if (count.first & mask)
            offered += count.second;
    ScanOutcome scan;
    scan.found = offered;
    scan.mask = mask;
    scan.startTick = 1000;
    scan.endTick = 66000;
    scan.examined = 4321;
    scan.completed = true;
    page.ShowResults(scan);
}

std::vector<ResultsPageTest::Row> ResultsPageTest::TreeRows()
{
    std::vector<Row> rows;
    CCheckedTreeCtrl& tree = Page().Tree();
    for (HTREEITEM root = tree.GetRootItem(); root; root = tree.GetNextSiblingItem(root))
    {
        rows.push_back({0, tree.GetItemText(root), tree.GetCheckState(root)});
        for (HTREEITEM leaf = tree.GetChildItem(root); leaf; leaf = tree.GetNextSiblingItem(leaf))
            rows.push_back({1, tree.GetFullText(leaf), tree.GetCheckState(leaf)});
    }
    return rows;
}

HTREEITEM ResultsPageTest::FindLeaf(const std::string& text)
{
    CCheckedTreeCtrl& tree = Page().Tree();
    for (HTREEITEM root = tree.GetRootItem(); root; root = tree.GetNextSiblingItem(root))
        for (HTREEITEM leaf = tree.GetChildItem(root); leaf; leaf = tree.GetNextSiblingItem(leaf))
            if (tree.GetFullText(leaf) == text)
                return leaf;
    return nullptr;
}

std::string ResultsPageTest::ControlText(int id)
{
    return CWnd::GetText(Page().GetDlgItem(id));
}

bool ResultsPageTest::IsShown(int id)
{
    return (::GetWindowLongA(Page().GetDlgItem(id), GWL_STYLE) & WS_VISIBLE) != 0;
}

bool ResultsPageTest::IsEnabled(int id)
{
    return ::IsWindowEnabled(Page().GetDlgItem(id)) != FALSE;
}

void ResultsPageTest::Pump(DWORD milliseconds)
{
    TestPump::PumpMessages(milliseconds);
}

bool ResultsPageTest::PumpUntil(const std::function<bool()>& done, DWORD milliseconds)
{
    return TestPump::PumpUntil(done, milliseconds);
}

bool ResultsPageTest::RepairEnded()
{
    return !Page().IsRepairing();
}

namespace PlantedFindings
{
const char* const kKey = "Software\\QmResultsTest";

std::string ValueText(const std::string& key, const std::string& name)
{
    return KeyText(key) + kItemValueSeparator + name;
}

std::string KeyText(const std::string& key)
{
    return std::string("HKEY_CURRENT_USER\\") + kKey + "\\" + key;
}

bool PlantValue(const std::string& key, const std::string& name)
{
    return TestEnv::SetString(HKEY_CURRENT_USER, std::string(kKey) + "\\" + key, name, "C:\\gone\\" + name);
}

bool PlantKey(const std::string& key)
{
    return TestEnv::SetString(HKEY_CURRENT_USER, std::string(kKey) + "\\" + key, "", "C:\\gone\\server.dll");
}

bool ValueExists(const std::string& key, const std::string& name)
{
    return TestEnv::ValueExists(HKEY_CURRENT_USER, std::string(kKey) + "\\" + key, name);
}

bool KeyExists(const std::string& key)
{
    return TestEnv::KeyExists(HKEY_CURRENT_USER, std::string(kKey) + "\\" + key);
}

void RemoveAll()
{
    TestEnv::DeleteTree(HKEY_CURRENT_USER, kKey);
}

bool DeleteFinding(const std::string& text)
{
    const std::string prefix = std::string("HKEY_CURRENT_USER\\") + kKey + "\\";
    if (text.compare(0, prefix.size(), prefix) != 0)
        return ::DeleteFileA(text.c_str()) != FALSE;
    const std::string rest = text.substr(prefix.size());
    const size_t separator = rest.find(kItemValueSeparator);
    const std::string key = std::string(kKey) + "\\" + rest.substr(0, separator);
    if (separator == std::string::npos)
        return TestEnv::DeleteTree(HKEY_CURRENT_USER, key);
    HKEY opened = NULL;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_SET_VALUE, &opened) != ERROR_SUCCESS)
        return false;
    const bool deleted = ::RegDeleteValueA(opened, rest.substr(separator + 1).c_str()) == ERROR_SUCCESS;
    ::RegCloseKey(opened);
    return deleted;
}
}
