// The home page, the scan options page and the scan progress page on the
// real main window in this process, with a job object whose scan the test
// writes: it runs on a thread of its own and calls the page as the engine's
// job thread would.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>
#include <cstdlib>

#include "Client/Controls/CPictureEx.h"
#include "Client/Scan/CScanDlg.h"
#include "Client/Scan/ClientCategories.h"
#include "Client/Scan/CScanningDlg.h"
#include "Client/Scan/CStatusDlg.h"
#include "Client/Scan/IncompleteScanLine.h"
#include "Client/Scan/ListFile.h"
#include "Client/Scan/StoreTestFolder.h"
#include "Client/Shell/CRegClientApp.h"
#include "Client/Shell/CRegClientDlg.h"
#include "Client/res/ScanPagesResource.h"
#include "Client/res/ScanResultsResource.h"
#include "Client/res/ShellResource.h"
#include "Engine/ScanCategory.h"
#include "Framework/ModulePath.h"
#include "Framework/CBinaryFile.h"
#include "support/FakeJobObject.h"
#include "support/MessagePump.h"
#include "support/ProgramDriver.h"
#include "support/TestRegistry.h"

// The program's application object, as the program itself has it.
CRegClientApp theApp;

namespace
{
// A job object whose scan body the test writes. A repair only counts its
// start and ends at once.
class ScriptedJob : public FakeJobObject
{
public:
    ~ScriptedJob() override { Join(); }

    std::function<void(CAbstractStatus&, ScriptedJob&)> scanBody;
    int scanStartResult = 1;
    int scanResult = 0;
    int repairResult = 0;
    std::atomic<int> scanStarts{0};
    std::atomic<int> repairStarts{0};
    std::atomic<int> running{0};
    std::set<std::string> folders;
    DWORD mask = 0;
    int scanOption = -1;

    int Stop(int flag) override
    {
        if (flag)
            running = 0;
        return 1;
    }
    BOOL WaitOrRelease(int) override
    {
        Join();
        return TRUE;
    }
    BOOL Resume() override
    {
        if (!m_sink)
            return FALSE;
        Join();
        busy = running = 1;
        RunOnThread([this] {
            if (!m_repair && scanBody)
                scanBody(*m_sink, *this);
            CAbstractStatus* sink = m_sink;
            m_sink = nullptr;
            sink->OnProgress(2);
            sink->SetStatusText("", "Scanning");
            busy = running = 0;
            sink->OnJobFinished(m_repair ? repairResult : scanResult);
        });
        return TRUE;
    }
    int GetJobType() override { return m_repair ? kJobRepair : kJobScan; }
    int StartScan(const std::set<std::string>& scanFolders, DWORD categories, CAbstractStatus* sink,
                  int option) override
    {
        ++scanStarts;
        if (scanStartResult == -1 || !sink || busy)
            return -1;
        folders = scanFolders;
        mask = categories;
        scanOption = option;
        m_sink = sink;
        m_repair = false;
        return 1;
    }
    int StartRepair(CAbstractScanItemsInfo*, CAbstractStatus* sink) override
    {
        ++repairStarts;
        if (!sink || busy)
            return -1;
        m_sink = sink;
        m_repair = true;
        return 1;
    }

private:
    CAbstractStatus* m_sink = nullptr;
    bool m_repair = false;
};

// Answers the next message box of this thread with OK, from a timer that
// the box's own loop runs; keeps its text.
class BoxAnswer
{
public:
    BoxAnswer()
    {
        s_current = this;
        m_timer = ::SetTimer(nullptr, 0, 100, &BoxAnswer::OnTimer);
    }
    ~BoxAnswer()
    {
        ::KillTimer(nullptr, m_timer);
        s_current = nullptr;
    }
    std::string Text() const { return m_text; }

private:
    static BOOL CALLBACK FindBox(HWND window, LPARAM found)
    {
        char name[16] = {};
        ::GetClassNameA(window, name, sizeof(name));
        if (std::string(name) == "#32770" && ::IsWindowVisible(window) && ::GetDlgItem(window, 0xFFFF))
        {
            *reinterpret_cast<HWND*>(found) = window;
            return FALSE;
        }
        return TRUE;
    }
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD)
    {
        HWND box = NULL;
        ::EnumThreadWindows(::GetCurrentThreadId(), &BoxAnswer::FindBox, reinterpret_cast<LPARAM>(&box));
        if (!box || !s_current || !s_current->m_text.empty())
            return;
        s_current->m_text = CWnd::GetText(::GetDlgItem(box, 0xFFFF));
        ::PostMessageA(box, WM_COMMAND, IDOK, 0);
    }

    static BoxAnswer* s_current;
    UINT_PTR m_timer = 0;
    std::string m_text;
};
BoxAnswer* BoxAnswer::s_current = nullptr;

const char kFontFinding[] = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts\xacQm Font";

std::string Finding(int i)
{
    return "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\xacQmPage" + std::to_string(i);
}

class ScanPagesTest : public testing::Test
{
protected:
    void TearDown() override
    {
        m_job.WaitOrRelease(0);
        Pump(100);
        if (m_window)
            m_window->DestroyWindow();
        m_window.reset();
        theApp.SetMainWnd(nullptr);
        theApp.m_pScanItems = nullptr;
        theApp.m_pEngineProcess = nullptr;
        m_store.reset();
    }

    // The main window with its pages, on settings read from lines.
    void OpenWindow(const std::string& settings = std::string())
    {
        ASSERT_TRUE(TestEnv::WriteFile(theApp.m_strIniPath, "[SETTINGS]\r\nFirstRun=0\r\n" + settings));
        if (!m_store)
            m_store.reset(new CScanItemsInfo());
        theApp.m_pScanItems = m_store.get();
        theApp.m_pEngineProcess = &m_job;
        theApp.LoadSettings();
        theApp.m_cmdInfo = CCommandLineInfoEx();
        theApp.m_bSiblingInstalled = 1;
        m_window.reset(new CRegClientDlg());
        ASSERT_TRUE(m_window->Create(IDD_MAIN_WINDOW, nullptr));
        theApp.SetMainWnd(m_window.get());
        m_window->ShowWindow(SW_SHOW);
        ASSERT_TRUE(Options().GetSafeHwnd() && Progress().GetSafeHwnd() && Home().GetSafeHwnd());
        Options().ShowStep(kStepOptions);
        Pump(100);
    }
    void CloseWindow()
    {
        theApp.SetMainWnd(nullptr);
        m_window->DestroyWindow();
        m_window.reset();
    }

    CScanDlg& Options() { return theApp.m_scanPage; }
    // The later steps as the program reaches them: through the scan road,
    // which makes each when it is first needed.
    CScanningDlg& Progress() { return theApp.m_scanWorkflow.Progress(); }
    CScanResultDlg& Results() { return theApp.m_scanWorkflow.Results(); }
    CStatusDlg& Home() { return m_window->HomePage(); }

    static void Click(CWnd& page, int id)
    {
        page.SendMessage(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(page.GetDlgItem(id)));
    }
    static void ClickBox(CWnd& page, int id) { ::SendMessageA(page.GetDlgItem(id), BM_CLICK, 0, 0); }
    static std::string Text(CWnd& page, int id) { return CWnd::GetText(page.GetDlgItem(id)); }
    static bool Shows(CWnd& page) { return page.GetSafeHwnd() && page.IsWindowVisible(); }
    std::string Caption(int id) { return CWnd::GetText(m_window->GetDlgItem(id)); }

    void Pump(DWORD milliseconds) { TestPump::PumpMessages(milliseconds); }
    bool PumpUntil(const std::function<bool()>& done, DWORD milliseconds = 20000)
    {
        return TestPump::PumpUntil(done, milliseconds);
    }
    // Starts the scan from the options page and runs it to its end.
    void ScanToTheEnd(DWORD milliseconds = 20000)
    {
        const int before = m_job.scanStarts;
        Click(Options(), IDC_SCAN_START);
        ASSERT_EQ(m_job.scanStarts, before + 1);
        ASSERT_TRUE(PumpUntil([this] { return Progress().GetDlgItem(IDC_SHOW_RESULTS) &&
                                              ::IsWindowEnabled(Progress().GetDlgItem(IDC_SHOW_RESULTS)); },
                              milliseconds))
            << "the scan did not end";
        Pump(100);
    }
    std::string Ini(const char* key) { return theApp.m_pIniDoc->GetValue("SETTINGS", key); }
    // The width of a text in the item line's font (Tahoma, 10 points), in pixels.
    static int ItemLineWidth(const std::string& text)
    {
        const HDC dc = ::GetDC(NULL);
        const HFONT font = ::CreateFontA(-::MulDiv(10, ::GetDeviceCaps(dc, LOGPIXELSY), 72), 0, 0, 0, FW_NORMAL, 0, 0,
                                         0, DEFAULT_CHARSET, 0, 0, 0, 0, "Tahoma");
        const HGDIOBJ old = ::SelectObject(dc, font);
        SIZE size = {};
        ::GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
        ::SelectObject(dc, old);
        ::DeleteObject(font);
        ::ReleaseDC(NULL, dc);
        return size.cx;
    }

    ScriptedJob m_job;
    std::unique_ptr<CScanItemsInfo> m_store;
    std::unique_ptr<CRegClientDlg> m_window;
};
}

TEST_F(ScanPagesTest, ScanCountsLiveLeavesOutWhiteListedAndIgnoredAndRecordsItsStatistics)
{
    if (!RunInOwnFolder())
        return;
    ASSERT_TRUE(TestEnv::WriteFile(ModulePath::Folder() + "WL", "temp ; QmWhite;;qmafter;"));
    PlantIgnoreList(Finding(3) + "^Windows Startup Items^0;\r\n");
    ASSERT_NO_FATAL_FAILURE(OpenWindow("LastTotalJnkFileSize=77\r\nLastFontCln=4\r\n"));
    HANDLE hold = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    m_job.scanBody = [hold](CAbstractStatus& sink, ScriptedJob&) {
        sink.SetStatusText("HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\CLSID", "X");
        sink.SetStatusText("", "N");
        sink.OnItemFound(kFontFinding, kScanFonts, 0, 0);
        sink.SetStatusText("HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run", "S");
        sink.OnItemFound(Finding(1).c_str(), kScanStartup, 0, 0);
        sink.OnItemFound(Finding(2).c_str(), kScanStartup, 0, 0);
        // White-listed in whatever case, and on the ignore list: not counted.
        sink.OnItemFound("C:\\Documents\\TEMP\\gone.exe", kScanStartup, 0, 0);
        sink.OnItemFound("c:\\QMWHITE\\gone.exe", kScanStartup, 0, 0);
        sink.OnItemFound(Finding(3).c_str(), kScanStartup, 0, 0);
        // A fragment after ";;" is never read.
        sink.OnItemFound("c:\\qmafter\\gone.exe", kScanStartup, 0, 0);
        sink.OnItemFound("-1", kScanRecycleBin, 1536, 0);
        ::WaitForSingleObject(hold, 20000);
    };
    const DWORD beforeStart = ::GetTickCount();
    Click(Options(), IDC_SCAN_START);
    const DWORD afterStart = ::GetTickCount();
    EXPECT_TRUE(Shows(Progress()));
    EXPECT_EQ(Caption(IDC_CAPTION_LABEL), "SCANNING");
    EXPECT_EQ(Caption(IDC_STEP_LABEL), "Step 2 of 3");
    EXPECT_EQ(m_job.mask, CScanDlg::DefaultScanTypes()) << "a first run scans every visible category";
    EXPECT_EQ(m_job.folders.count(CScanningDlg::ScanFolders().begin()->substr(0, 2)), 1u);
    EXPECT_GE(m_job.folders.size(), 3u);

    // The home page was reset before the first finding came.
    EXPECT_EQ(Text(Home(), 1201), "0");
    EXPECT_EQ(Ini("LastFontCln"), "0");
    EXPECT_EQ(Ini("LastTotalJnkFileSize"), "77");

    ASSERT_TRUE(PumpUntil([this] { return Text(Progress(), IDC_FOUND_COUNT) == "4"; }));
    EXPECT_EQ(Text(Progress(), 1157), "1") << "fonts counter";
    EXPECT_EQ(Text(Progress(), 1165), "3") << "start-up counter";
    EXPECT_EQ(Text(Progress(), IDC_SCAN_CATEGORY), "Windows Startup Items");
    EXPECT_FALSE(::IsWindowEnabled(Progress().GetDlgItem(IDC_SHOW_RESULTS)));
    EXPECT_FALSE(::IsWindowEnabled(Progress().GetDlgItem(IDC_PROGRESS_BACK)));
    EXPECT_TRUE(::IsWindowEnabled(Progress().GetDlgItem(IDC_CANCEL_SCAN)));
    ProgramDriver::SaveScreenshot(*m_window, "scan-progress-running");
    ::SetEvent(hold);
    ASSERT_TRUE(PumpUntil([this] { return ::IsWindowEnabled(Progress().GetDlgItem(IDC_SHOW_RESULTS)) != FALSE; }));
    Pump(100);
    ::CloseHandle(hold);

    EXPECT_EQ(Caption(IDC_CAPTION_LABEL), "SCAN");
    EXPECT_EQ(Ini("LastFontErr"), "1");
    EXPECT_EQ(Ini("LastStartupErr"), "3");
    EXPECT_EQ(Ini("LastTotalErrCnt"), "4");
    EXPECT_EQ(Ini("LastRecBinErrSize"), "1536");
    EXPECT_NE(Ini("LastScan"), "Never");
    EXPECT_EQ(Text(Home(), 1222), Ini("LastScan")) << "the home page took the new date";
    EXPECT_EQ(Text(Home(), 1196), "3");
    EXPECT_EQ(Text(Home(), 1233), "2MB");
    // What the results page reads of this scan.
    EXPECT_EQ(Results().m_totalFindings, 4);
    const ScanOutcome& scan = Results().LastScan();
    EXPECT_EQ(scan.found, 4);
    EXPECT_EQ(scan.examined, 2) << "the non-empty status texts";
    EXPECT_GE(scan.startTick, beforeStart);
    EXPECT_LE(scan.startTick, afterStart);
    EXPECT_GE(scan.endTick, scan.startTick);
    EXPECT_TRUE(scan.completed);
    EXPECT_TRUE(Shows(Progress())) << "without automatic repair the page stays";

    Click(Progress(), IDC_SHOW_RESULTS);
    EXPECT_TRUE(Shows(Results()));
    EXPECT_EQ(CWnd::GetText(Results().GetDlgItem(IDC_SELECTION_LABEL)), "4 of 4 error(s) selected for repair");
    EXPECT_EQ(m_job.repairStarts, 0);
    Click(m_window.operator*(), IDC_HOME_BUTTON);
    EXPECT_TRUE(Shows(Home()));
    EXPECT_EQ(Text(Home(), 1196), "3");
    EXPECT_EQ(Text(Home(), 1201), "0");
}

// The system's picture loader walks the registry for each frame: the
// progress page's spinners are decoded once, before any scan and not by the
// scan's start, and every later scan plays the same frames. Only the row the
// scan is in shows its spinner, so only that one plays; the rows a quick tick
// passed by show their marks all the same.
TEST_F(ScanPagesTest, SpinnersAreDecodedOnceAndOnlyTheScannedRowsPlays)
{
    if (!RunInOwnFolder())
        return;
    ASSERT_NO_FATAL_FAILURE(OpenWindow());
    const auto pictureOf = [this](int id) { return dynamic_cast<CPictureEx*>(CWnd::FromHandle(Progress().GetDlgItem(id))); };
    std::vector<CPictureEx*> pictures;
    for (int id : {IDC_PROGRESS_PICTURE_SPARE_A, IDC_PROGRESS_PICTURE_SPARE_B, IDC_PROGRESS_PICTURE_SPARE_C,
                   IDC_PROGRESS_PICTURE_SPARE_D})
        pictures.push_back(pictureOf(id));
    for (const ClientCategory& category : kClientCategories)
        if (category.IsScanned())
            pictures.push_back(pictureOf(category.progressPicture));
    auto playing = [&pictures] {
        return std::count_if(pictures.begin(), pictures.end(), [](CPictureEx* picture) { return picture->HasThread(); });
    };
    CPictureEx* const startup = pictureOf(IDC_PROGRESS_PICTURE_STARTUP);
    ASSERT_TRUE(startup);
    ASSERT_TRUE(PumpUntil([startup] { return startup->IsLoaded(); })) << "no scan started: nothing decoded";
    ASSERT_TRUE(startup->IsAnimated());
    const IPicture* first = startup->Frames().front().picture.Get();

    HANDLE hold = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    m_job.scanBody = [hold](CAbstractStatus& sink, ScriptedJob&) {
        sink.SetStatusText("", "X");
        sink.SetStatusText("", "U");
        sink.SetStatusText("", "S");
        ::WaitForSingleObject(hold, 20000);
    };
    Click(Options(), IDC_SCAN_START);
    ASSERT_TRUE(PumpUntil([this] { return Text(Progress(), IDC_SCAN_CATEGORY) == "Windows Startup Items"; }));
    // The drawing thread sets its flag once it runs.
    EXPECT_TRUE(PumpUntil([startup] { return startup->IsPlaying(); }));
    EXPECT_EQ(playing(), 1);
    EXPECT_TRUE(::IsWindowVisible(Progress().GetDlgItem(IDC_PROGRESS_MARK_ACTIVEX))) << "the row before a passed one";
    ::SetEvent(hold);
    ASSERT_TRUE(PumpUntil([this] { return ::IsWindowEnabled(Progress().GetDlgItem(IDC_SHOW_RESULTS)) != FALSE; }));
    ::CloseHandle(hold);
    EXPECT_TRUE(PumpUntil([&playing] { return playing() == 0; }));

    m_job.scanBody = nullptr;
    ASSERT_NO_FATAL_FAILURE(ScanToTheEnd());
    ASSERT_TRUE(startup->IsLoaded());
    EXPECT_EQ(startup->Frames().front().picture.Get(), first) << "a scan's start decoded the pictures again";
}

TEST_F(ScanPagesTest, AutomaticRepairFollowsOnlyACompletedScanAndOnlyOnce)
{
    if (!RunInOwnFolder())
        return;
    ASSERT_NO_FATAL_FAILURE(OpenWindow("AutoRepair=1\r\nAutoShutdown=1\r\n"));
    m_job.scanBody = [](CAbstractStatus& sink, ScriptedJob& job) {
        sink.OnItemFound(Finding(1).c_str(), kScanStartup, 0, 0);
        // Runs until the user cancels it.
        for (int i = 0; i < 2000 && job.running; ++i)
            ::Sleep(10);
    };
    Click(Options(), IDC_SCAN_START);
    ASSERT_TRUE(PumpUntil([this] { return Text(Progress(), IDC_FOUND_COUNT) == "1"; }));
    Click(Progress(), IDC_CANCEL_SCAN);
    EXPECT_EQ(Text(Progress(), IDC_SCAN_STATE), "Scan is canceled.");
    ASSERT_TRUE(PumpUntil([this] { return ::IsWindowEnabled(Progress().GetDlgItem(IDC_SHOW_RESULTS)) != FALSE; }));
    Pump(300);
    EXPECT_TRUE(Shows(Progress())) << "a cancelled scan goes nowhere by itself";
    EXPECT_TRUE(m_window->IsWindowVisible()) << "nor closes the program";
    EXPECT_EQ(m_job.repairStarts, 0);

    // Looking at its results, going back and coming again repairs nothing.
    Click(Progress(), IDC_SHOW_RESULTS);
    EXPECT_TRUE(Shows(Results()));
    Click(Results(), IDC_RESULTS_BACK);
    EXPECT_TRUE(Shows(Progress()));
    Click(Progress(), IDC_SHOW_RESULTS);
    Click(m_window.operator*(), IDC_HOME_BUTTON);
    Click(m_window.operator*(), IDC_SCAN_BUTTON);
    EXPECT_TRUE(Shows(Results())) << "the scan page shows its last step again";
    Pump(200);
    EXPECT_EQ(m_job.repairStarts, 0);

    // A scan that completes repairs by itself, once.
    theApp.m_settings.autoShutdown = 0;
    m_job.scanBody = [](CAbstractStatus& sink, ScriptedJob&) {
        sink.OnItemFound(Finding(2).c_str(), kScanStartup, 0, 0);
    };
    Click(m_window.operator*(), IDC_SCAN_BUTTON);
    Options().ShowStep(kStepOptions);
    ASSERT_NO_FATAL_FAILURE(ScanToTheEnd());
    ASSERT_TRUE(PumpUntil([this] { return m_job.repairStarts == 1 && !m_job.busy && Shows(Home()); }))
        << "the repair did not run";
    Pump(200);
    Click(m_window.operator*(), IDC_SCAN_BUTTON);
    EXPECT_TRUE(Shows(Options())) << "after the repair the scan page starts over";
    Options().ShowStep(kStepResults);
    Options().ShowStep(kStepCurrent);
    Pump(200);
    EXPECT_EQ(m_job.repairStarts, 1);
}

namespace
{
// The windows of this thread that were shown while it lived.
class ShownWindows
{
public:
    ShownWindows()
    {
        s_shown.clear();
        m_hook = ::SetWindowsHookExA(WH_CALLWNDPROC, &ShownWindows::OnCall, nullptr, ::GetCurrentThreadId());
    }
    ~ShownWindows() { ::UnhookWindowsHookEx(m_hook); }
    static bool Saw(HWND window) { return std::find(s_shown.begin(), s_shown.end(), window) != s_shown.end(); }

private:
    static LRESULT CALLBACK OnCall(int code, WPARAM wParam, LPARAM lParam)
    {
        const CWPSTRUCT* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
        if (code == HC_ACTION && call->message == WM_SHOWWINDOW && call->wParam)
            s_shown.push_back(call->hwnd);
        return ::CallNextHookEx(nullptr, code, wParam, lParam);
    }
    static std::vector<HWND> s_shown;
    HHOOK m_hook = NULL;
};
std::vector<HWND> ShownWindows::s_shown;
}

TEST_F(ScanPagesTest, ShowingAStepFromAnotherPageNeverShowsTheStepBeingLeft)
{
    if (!RunInOwnFolder())
        return;
    ASSERT_NO_FATAL_FAILURE(OpenWindow());
    ASSERT_NO_FATAL_FAILURE(ScanToTheEnd());
    ASSERT_TRUE(Shows(Progress())) << "the ended scan's step stays";
    Click(m_window.operator*(), IDC_HOME_BUTTON);
    ASSERT_TRUE(Shows(Home()));
    ASSERT_FALSE(Shows(Progress()));
    {
        ShownWindows shown;
        Options().ShowStep(kStepOptions);
        EXPECT_FALSE(ShownWindows::Saw(Progress().GetSafeHwnd())) << "the step being left came back for a moment";
        EXPECT_TRUE(ShownWindows::Saw(Options().GetSafeHwnd()));
    }
    EXPECT_TRUE(Shows(Options()));
    EXPECT_FALSE(Shows(Progress()));
    EXPECT_FALSE(Shows(Home()));
    EXPECT_EQ(Caption(IDC_STEP_LABEL), "Step 1 of 3");
    // The page switch alone shows the current step, as before.
    Click(m_window.operator*(), IDC_HOME_BUTTON);
    Click(m_window.operator*(), IDC_SCAN_BUTTON);
    EXPECT_TRUE(Shows(Options()));
}

TEST_F(ScanPagesTest, IncompleteScanSaysWhatWasNotCheckedKeepsItsFindingsAndRepairsNothingByItself)
{
    if (!RunInOwnFolder())
        return;
    ASSERT_NO_FATAL_FAILURE(OpenWindow("AutoRepair=1\r\n"));
    const std::string note = "Scan incomplete: Windows Startup Items could not be checked to the end.";
    m_job.scanResult = kScanIncomplete;
    m_job.scanBody = [&note](CAbstractStatus& sink, ScriptedJob&) {
        sink.OnItemFound(Finding(1).c_str(), kScanStartup, 0, 0);
        sink.SetStatusText(note.c_str(), "Scanning");
    };
    ASSERT_NO_FATAL_FAILURE(ScanToTheEnd());
    Pump(300);
    const std::string line = Text(Progress(), IDC_SCAN_ITEM);
    EXPECT_NE(line.find("Windows Startup Items"), std::string::npos)
        << "the final calls do not wipe the engine's last word: " << line;
    EXPECT_LE(ItemLineWidth(line), 365) << line;
    EXPECT_EQ(Text(Progress(), IDC_SCAN_STATE), "Scan is incomplete.");
    EXPECT_TRUE(::IsWindowVisible(Progress().GetDlgItem(IDC_SCAN_STATE)));
    EXPECT_TRUE(Shows(Progress())) << "an incomplete scan goes nowhere by itself";
    EXPECT_EQ(m_job.repairStarts, 0);
    EXPECT_EQ(Text(Progress(), IDC_FOUND_COUNT), "1");
    EXPECT_EQ(m_store->GetItemCount(kScanStartup), 1) << "what it found stands";
    EXPECT_TRUE(ProgramDriver::SaveScreenshot(m_window->GetSafeHwnd(), "scan-incomplete"));

    // The next scan that completes says nothing of the last one.
    m_job.scanResult = 0;
    m_job.scanBody = nullptr;
    theApp.m_settings.autoRepair = 0;
    Options().ShowStep(kStepOptions);
    ASSERT_NO_FATAL_FAILURE(ScanToTheEnd());
    EXPECT_FALSE(::IsWindowVisible(Progress().GetDlgItem(IDC_SCAN_STATE)));
    EXPECT_EQ(Text(Progress(), IDC_SCAN_ITEM), "");
}

TEST_F(ScanPagesTest, IncompleteScanLineNamesNoScannedPathAndFitsItsLine)
{
    if (!RunInOwnFolder())
        return;
    ASSERT_NO_FATAL_FAILURE(OpenWindow());
    // A failure that the job's own guard caught: no note, only scanned items.
    const std::string path = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\CLSID\\{QmLastScannedPath}";
    m_job.scanResult = kScanIncomplete;
    m_job.scanBody = [&path](CAbstractStatus& sink, ScriptedJob&) { sink.SetStatusText(path.c_str(), "X"); };
    ASSERT_NO_FATAL_FAILURE(ScanToTheEnd());
    Pump(200);
    std::string line = Text(Progress(), IDC_SCAN_ITEM);
    EXPECT_EQ(line.find("QmLastScannedPath"), std::string::npos) << "the last item scanned is no reason: " << line;
    EXPECT_EQ(line, IncompleteScanLine::kStoppedAtError);
    EXPECT_LE(ItemLineWidth(line), 365) << line;

    // Every category named: said shorter, never past the line.
    const std::string note = "Scan incomplete: ActiveX Objects, Uninstall Entries, Windows Fonts, Shared DLLs, "
                             "Application Paths, Help Files Information could not be checked to the end.";
    m_job.scanBody = [&note](CAbstractStatus& sink, ScriptedJob&) { sink.SetStatusText(note.c_str(), "Scanning"); };
    Options().ShowStep(kStepOptions);
    ASSERT_NO_FATAL_FAILURE(ScanToTheEnd());
    Pump(200);
    line = Text(Progress(), IDC_SCAN_ITEM);
    EXPECT_LE(ItemLineWidth(line), 365) << line;
    EXPECT_EQ(line, "Scan incomplete: 6 categories not checked to the end.");
    EXPECT_TRUE(ProgramDriver::SaveScreenshot(m_window->GetSafeHwnd(), "scan-incomplete-many"));
}

TEST(IncompleteScanLine, SaysTheNamesShorterThenCountsThemThenCuts)
{
    const std::string note = "Scan incomplete: Application Paths, Help Files Information, Windows Services could "
                             "not be checked to the end.";
    const auto upTo = [](size_t length) { return [length](const std::string& text) { return text.size() <= length; }; };
    EXPECT_EQ(IncompleteScanLine::Fit(note, upTo(200)), note);
    EXPECT_EQ(IncompleteScanLine::Fit(note, upTo(90)),
              "Not checked to the end: Application Paths, Help Files Information, Windows Services.");
    EXPECT_EQ(IncompleteScanLine::Fit(note, upTo(60)), "Scan incomplete: 3 categories not checked to the end.");
    EXPECT_EQ(IncompleteScanLine::Fit(note, upTo(50)), "Scan incomplete: 3 categories not checked to...");
    EXPECT_EQ(IncompleteScanLine::Fit(note, upTo(21)), "Scan incomplete: 3...");
    EXPECT_EQ(IncompleteScanLine::Fit("", upTo(200)), IncompleteScanLine::kStoppedAtError);
    EXPECT_EQ(IncompleteScanLine::Fit("Something else went wrong here", upTo(20)), "Something else...");
}

TEST_F(ScanPagesTest, IncompleteScanStillClosesTheProgramAsTheSettingsAskButRepairsNothing)
{
    if (!RunInOwnFolder())
        return;
    ASSERT_NO_FATAL_FAILURE(OpenWindow("AutoRepair=1\r\nAutoShutdown=1\r\n"));
    m_job.scanResult = kScanIncomplete;
    m_job.scanBody = [](CAbstractStatus& sink, ScriptedJob&) {
        sink.OnItemFound(Finding(1).c_str(), kScanStartup, 0, 0);
        sink.SetStatusText("Scan incomplete: Windows Startup Items could not be checked to the end.", "Scanning");
    };
    Click(Options(), IDC_SCAN_START);
    EXPECT_TRUE(PumpUntil([this] { return !m_window->IsWindowVisible(); })) << "the program did not close";
    EXPECT_EQ(m_job.repairStarts, 0) << "what could not be checked is not repaired by itself";
    EXPECT_EQ(Ini("LastStartupErr"), "1") << "the home page's statistics keep the findings";
}

TEST_F(ScanPagesTest, RepairThatFailsPartWayStillClosesTheProgramAsTheSettingsAsk)
{
    if (!RunInOwnFolder())
        return;
    ASSERT_NO_FATAL_FAILURE(OpenWindow("AutoRepair=1\r\nAutoShutdown=1\r\n"));
    m_job.repairResult = kRepairIncomplete;
    m_job.scanBody = [](CAbstractStatus& sink, ScriptedJob&) {
        sink.OnItemFound(Finding(1).c_str(), kScanStartup, 0, 0);
    };
    BoxAnswer answer;
    Click(Options(), IDC_SCAN_START);
    EXPECT_TRUE(PumpUntil([this] { return !m_window->IsWindowVisible(); })) << "the program did not close";
    EXPECT_EQ(m_job.repairStarts, 1);
    EXPECT_EQ(answer.Text(), "") << "a box held the close";
}

TEST_F(ScanPagesTest, RepairThatFailsPartWayIsToldOverTheHomePageWhenNothingFollows)
{
    if (!RunInOwnFolder())
        return;
    ASSERT_NO_FATAL_FAILURE(OpenWindow("AutoRepair=1\r\n"));
    m_job.repairResult = kRepairIncomplete;
    m_job.scanBody = [](CAbstractStatus& sink, ScriptedJob&) {
        sink.OnItemFound(Finding(1).c_str(), kScanStartup, 0, 0);
    };
    std::string told;
    {
        BoxAnswer answer;
        ASSERT_NO_FATAL_FAILURE(ScanToTheEnd());
        ASSERT_TRUE(PumpUntil([&] { return !answer.Text().empty(); })) << "the repair's failure was not told";
        told = answer.Text();
    }
    EXPECT_EQ(m_job.repairStarts, 1);
    EXPECT_NE(told.find("The repair stopped part-way"), std::string::npos) << told;
    EXPECT_NE(told.find("The home page counts"), std::string::npos) << told;
    EXPECT_TRUE(Shows(Home())) << "the box stands over the home page";
    Pump(300);
    ASSERT_TRUE(m_window->GetSafeHwnd() && m_window->IsWindowVisible()) << "the program closed unasked";
}

// A list read only in part may let through findings the user chose to keep:
// the scan runs, no box holds it up, its end says why on the item line and
// in the scan log, and nothing is repaired by itself.
TEST_F(ScanPagesTest, AnIgnoreListReadOnlyInPartIsToldOnThePageAndInTheLogAndStopsTheAutomaticRepair)
{
    if (!RunInOwnFolder())
        return;
    const std::string damaged = Finding(1) + "^Windows Startup Items^0;\r\n;;\r\n" + Finding(2) +
                                "^Windows Startup Items^0;\r\n";
    PlantIgnoreList(damaged);
    ASSERT_NO_FATAL_FAILURE(OpenWindow("AutoRepair=1\r\n"));
    m_job.scanBody = [](CAbstractStatus& sink, ScriptedJob&) {
        sink.OnItemFound(Finding(1).c_str(), kScanStartup, 0, 0);
        sink.OnItemFound(Finding(2).c_str(), kScanStartup, 0, 0);
    };
    std::string told;
    {
        BoxAnswer answer;
        ASSERT_NO_FATAL_FAILURE(ScanToTheEnd());
        Pump(300);
        told = answer.Text();
    }
    EXPECT_EQ(told, "") << "the progress page showed a box";
    EXPECT_EQ(Text(Progress(), IDC_FOUND_COUNT), "1") << "what was read is used";
    EXPECT_EQ(Text(Progress(), IDC_SCAN_ITEM), "The ignore list is damaged: check the findings before repairing.");
    EXPECT_TRUE(Shows(Progress())) << "the scan went on by itself";
    EXPECT_EQ(m_job.repairStarts, 0);
    EXPECT_EQ(IgnoreListBytes(), damaged) << "the list was changed";
    EXPECT_TRUE(ProgramDriver::SaveScreenshot(m_window->GetSafeHwnd(), "scan-ignore-list-damaged"));

    // The scan log tells the whole of it.
    std::string log;
    WIN32_FIND_DATAA found = {};
    const std::string folder = CScanItemsInfo::ScanLogFolder() + "\\";
    HANDLE search = ::FindFirstFileA((folder + "*.txt").c_str(), &found);
    ASSERT_NE(search, INVALID_HANDLE_VALUE) << "no scan log";
    ::FindClose(search);
    ASSERT_TRUE(CBinaryFile::Read(folder + found.cFileName, log));
    EXPECT_NE(log.find("The ignore list \"" + CScanItemsInfo::IgnoreListPath() + "\" is damaged"), std::string::npos)
        << log;
    EXPECT_NE(log.find("Nothing was repaired automatically."), std::string::npos) << log;

    // Once the list reads whole again, the next scan repairs by itself.
    PlantIgnoreList(Finding(1) + "^Windows Startup Items^0;\r\n");
    Options().ShowStep(kStepOptions);
    ASSERT_NO_FATAL_FAILURE(ScanToTheEnd());
    ASSERT_TRUE(PumpUntil([this] { return m_job.repairStarts == 1; })) << "the repair did not run";
}

TEST_F(ScanPagesTest, AutomaticLogonScanWithoutFindingsClosesTheProgramButNeverTheComputer)
{
    if (!RunInOwnFolder())
        return;
    ASSERT_NO_FATAL_FAILURE(
        OpenWindow("AutoRepair=1\r\nAutoShutdown=1\r\nAutoShutdownSystem=1\r\nAutoRestartSystem=1\r\n"));
    // Started with "STARTSCAN": a shutdown or restart here would end this
    // process with the whole Wine prefix.
    theApp.m_cmdInfo.m_bStartScan = 1;
    m_job.scanBody = [](CAbstractStatus& sink, ScriptedJob&) { sink.SetStatusText("", "X"); };
    ASSERT_NO_FATAL_FAILURE(ScanToTheEnd());
    EXPECT_TRUE(PumpUntil([this] { return !m_window->IsWindowVisible(); })) << "the program did not close";
    EXPECT_EQ(m_job.repairStarts, 0);
}

TEST_F(ScanPagesTest, RefusedOrImpossibleStartsChangeNothing)
{
    if (!RunInOwnFolder())
        return;
    ASSERT_NO_FATAL_FAILURE(OpenWindow("LastTotalErrCnt=7\r\n"));
    m_store->AddFoundItem(Finding(1).c_str(), kScanStartup, 0, 0);

    m_job.scanStartResult = -1;
    {
        BoxAnswer answer;
        Click(Options(), IDC_SCAN_START);
        EXPECT_EQ(answer.Text(), "Please stop other active operation before starting scan.");
    }
    EXPECT_TRUE(Shows(Options()));
    EXPECT_EQ(Caption(IDC_STEP_LABEL), "Step 1 of 3");
    EXPECT_TRUE(::IsWindowEnabled(Options().GetDlgItem(IDC_SCAN_START)));
    EXPECT_EQ(m_store->GetItemCount(kScanStartup), 1) << "the last results are kept";
    EXPECT_EQ(Ini("LastTotalErrCnt"), "7") << "and so are the statistics";
    EXPECT_FALSE(Progress().IsScanRunning());

    m_job.scanStartResult = 1;
    m_job.busy = 1;
    {
        BoxAnswer answer;
        Click(Options(), IDC_SCAN_START);
        EXPECT_EQ(answer.Text(), "Please stop other active operation before starting scan.");
    }
    m_job.busy = 0;
    ClickBox(Options(), 1169);
    {
        BoxAnswer answer;
        Click(Options(), IDC_SCAN_START);
        EXPECT_EQ(answer.Text(), "Please select appropriate scanning options");
    }
    EXPECT_EQ(m_job.scanStarts, 1) << "only the refused start reached the engine";
    EXPECT_TRUE(Shows(Options()));

    // A scheduled start checks the same way, and the engine learns that it
    // is scheduled.
    {
        BoxAnswer answer;
        m_window->RequestScan(ScanMode::Scheduled, std::string());
        EXPECT_EQ(answer.Text(), "Please select appropriate scanning options");
    }
    EXPECT_EQ(m_job.scanStarts, 1);
    ClickBox(Options(), 1169);
    m_window->RequestScan(ScanMode::Scheduled, std::string());
    ASSERT_EQ(m_job.scanStarts, 2);
    EXPECT_EQ(m_job.scanOption, 1);
    EXPECT_NE(m_job.mask, 0u);
    ASSERT_TRUE(PumpUntil([this] { return !Progress().IsScanRunning(); })) << "the scheduled scan did not end";
    Pump(100);
}

TEST_F(ScanPagesTest, SelectionIsStoredAsTickedAndShownSoAtTheNextStart)
{
    if (!RunInOwnFolder())
        return;
    ASSERT_NO_FATAL_FAILURE(OpenWindow());
    EXPECT_EQ(Options().GetSelectedScanTypes(), CScanDlg::DefaultScanTypes());
    ClickBox(Options(), 1169);
    EXPECT_EQ(Ini("LastSelectedScanTypes"), "0");
    ClickBox(Options(), 1147);
    ClickBox(Options(), 1172);
    EXPECT_EQ(Ini("LastSelectedScanTypes"), std::to_string(kScanFonts | kScanServices));
    ClickBox(Options(), 1147);
    ClickBox(Options(), 1172);
    EXPECT_EQ(Ini("LastSelectedScanTypes"), "0");
    const std::string stored = Ini("LastSelectedScanTypes");
    CloseWindow();

    // A scan of nothing is no choice: a stored empty selection ticks every
    // box, as a first run does, Select All and the hidden ones too.
    ASSERT_NO_FATAL_FAILURE(OpenWindow("LastSelectedScanTypes=" + stored + "\r\n"));
    EXPECT_EQ(Options().GetSelectedScanTypes(), CScanDlg::DefaultScanTypes());
    for (int box : {1169, 1171, 1173, 1174, 1175})
        EXPECT_EQ(::IsDlgButtonChecked(Options(), box), static_cast<UINT>(BST_CHECKED)) << box;
    ClickBox(Options(), 1157);
    EXPECT_EQ(Ini("LastSelectedScanTypes"), std::to_string(CScanDlg::DefaultScanTypes() & ~kScanStartup));
    EXPECT_EQ(::IsDlgButtonChecked(Options(), 1169), static_cast<UINT>(BST_UNCHECKED));
    CloseWindow();
    ASSERT_NO_FATAL_FAILURE(OpenWindow("LastSelectedScanTypes=" + std::to_string(CScanDlg::DefaultScanTypes()) +
                                       "\r\n"));
    EXPECT_EQ(::IsDlgButtonChecked(Options(), 1169), static_cast<UINT>(BST_CHECKED));
    ClickBox(Options(), 1145);
    EXPECT_EQ(::IsDlgButtonChecked(Options(), 1169), static_cast<UINT>(BST_UNCHECKED));
    EXPECT_EQ(Ini("LastSelectedScanTypes"), std::to_string(CScanDlg::DefaultScanTypes() & ~kScanActiveX));
}

TEST_F(ScanPagesTest, HomePageShowsZerosFirstAndCountsIgnoredEntriesPerCategory)
{
    if (!RunInOwnFolder())
        return;
    PlantIgnoreList("a.txt^File Associations^0;b.txt^File Associations^0;c.txt^Tracking Cookies^0;"
                    "d.exe^Windows Startup Items^0;");
    ASSERT_NO_FATAL_FAILURE(OpenWindow());
    Click(m_window.operator*(), IDC_HOME_BUTTON);
    EXPECT_TRUE(Shows(Home()));
    EXPECT_EQ(Caption(IDC_CAPTION_LABEL), "RESULTS");
    EXPECT_EQ(Text(Home(), 1222), "Never");
    for (int id : {1186, 1187, 1219, 1220, 1226, 1227})
        EXPECT_EQ(Text(Home(), id), "0") << id;
    EXPECT_EQ(Text(Home(), 1218), "2") << "File Associations";
    EXPECT_EQ(Text(Home(), 1210), "1") << "Windows Startup Items";
    for (int id : {1188, 1195, 1202, 1204, 1206, 1208, 1212, 1214, 1216, 1228})
        EXPECT_EQ(Text(Home(), id), "0") << id;
}

namespace
{
const int kMarks[] = {1182, 1183, 1184, 1185, 1186, 1187, 1188, 1189, 1190, 1191, 1192, 1203};
}

TEST_F(ScanPagesTest, TenThousandFindingsNeedNoFurtherGdiObjects)
{
    if (!RunInOwnFolder())
        return;
    ASSERT_NO_FATAL_FAILURE(OpenWindow("LastSelectedScanTypes=" + std::to_string(kScanStartup | kScanFonts) + "\r\n"));
    // A first, small scan makes whatever the page keeps for good.
    std::atomic<int> findings{10};
    m_job.scanBody = [&findings](CAbstractStatus& sink, ScriptedJob&) {
        sink.SetStatusText("", "S");
        for (int i = 0; i < findings; ++i)
            sink.OnItemFound(Finding(i).c_str(), kScanStartup, 0, 0);
    };
    ASSERT_NO_FATAL_FAILURE(ScanToTheEnd());
    std::set<LRESULT> marks;
    for (int id : kMarks)
        marks.insert(::SendMessageA(Progress().GetDlgItem(id), STM_GETIMAGE, IMAGE_BITMAP, 0));
    const DWORD before = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS);

    findings = 10000;
    ASSERT_NO_FATAL_FAILURE(ScanToTheEnd(90000));
    EXPECT_EQ(Text(Progress(), 1165), "10000");
    const DWORD after = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS);
    EXPECT_LE(after, before + 16) << "GDI objects grew from " << before << " to " << after;
    // Wine counts no GDI objects: there the marks show that every row still
    // shows one of the few pictures the page loaded once.
    for (int id : kMarks)
        marks.insert(::SendMessageA(Progress().GetDlgItem(id), STM_GETIMAGE, IMAGE_BITMAP, 0));
    marks.erase(0);
    EXPECT_LE(marks.size(), 3u) << "neutral, nothing found and found";
}

namespace
{
// The results store, noting which thread stores each finding.
class ThreadNotingStore : public CScanItemsInfo
{
public:
    int AddFoundItem(const char* text, DWORD category, int firstValue, int secondValue) override
    {
        storingThreads.insert(::GetCurrentThreadId());
        return CScanItemsInfo::AddFoundItem(text, category, firstValue, secondValue);
    }
    std::set<DWORD> storingThreads;
};
}

TEST_F(ScanPagesTest, TheJobThreadNeitherWaitsForTheWindowsNorTouchesThemOrTheStore)
{
    if (!RunInOwnFolder())
        return;
    auto* store = new ThreadNotingStore;
    m_store.reset(store);
    ASSERT_NO_FATAL_FAILURE(OpenWindow());
    std::atomic<DWORD> reportingTook{0};
    std::atomic<bool> reported{false};
    m_job.scanBody = [&](CAbstractStatus& sink, ScriptedJob&) {
        const DWORD start = ::GetTickCount();
        sink.SetStatusText("HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts", "N");
        sink.OnItemFound(kFontFinding, kScanFonts, 0, 0);
        sink.SetStatusText("HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run", "S");
        for (int i = 0; i < 3; ++i)
            sink.OnItemFound(Finding(i).c_str(), kScanStartup, 0, 0);
        reportingTook = ::GetTickCount() - start;
        reported = true;
    };
    Click(Options(), IDC_SCAN_START);
    // The window thread is busy elsewhere for a while: the job reports on
    // regardless and goes on with its work.
    ::Sleep(1500);
    EXPECT_TRUE(reported) << "the job thread was held up by the busy window thread";
    EXPECT_LT(reportingTook, 500u);
    ASSERT_TRUE(PumpUntil([this] { return ::IsWindowEnabled(Progress().GetDlgItem(IDC_SHOW_RESULTS)) != FALSE; }));

    // What the job reported reached the page and the store all the same,
    // stored on the window thread alone.
    EXPECT_EQ(Text(Progress(), IDC_FOUND_COUNT), "4");
    EXPECT_EQ(Text(Progress(), 1157), "1") << "fonts counter";
    EXPECT_EQ(Text(Progress(), 1165), "3") << "start-up counter";
    EXPECT_EQ(Text(Progress(), IDC_SCAN_CATEGORY), "Windows Startup Items");
    EXPECT_EQ(store->GetItemCount(kScanStartup), 3);
    EXPECT_EQ(store->storingThreads, std::set<DWORD>{::GetCurrentThreadId()});
    EXPECT_EQ(Results().m_totalFindings, 4);
}
