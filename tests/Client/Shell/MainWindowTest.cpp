// The main window in this process, driven from a second thread as a user
// would, with a job object that the test controls; and the application
// object's exit.
#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "Client/Shell/CRegClientApp.h"
#include "Client/Shell/CRegClientDlg.h"
#include "Client/Shell/EngineBinding.h"
#include "Client/Shell/ProgramMessages.h"
#include "Client/Shell/SharedInstanceData.h"
#include "Client/res/ShellResource.h"
#include "Framework/CHandle.h"
#include "support/FakeJobObject.h"
#include "support/ProgramDriver.h"

// The program's application object, as the program itself has it.
CRegClientApp theApp;

namespace
{
bool IsEnabled(HWND dialog, int id)
{
    return ::IsWindowEnabled(::GetDlgItem(dialog, id)) != FALSE;
}

LRESULT Send(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0)
{
    DWORD_PTR result = 0;
    ::SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL, 10000, &result);
    return static_cast<LRESULT>(result);
}

void Click(HWND dialog, int id)
{
    Send(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
}

// A job object whose thread the test holds and lets go: the engine calls it
// idle all the while, as it does before a started thread has run a line and
// after the thread's final call.
class HeldThreadJob : public FakeJobObject
{
public:
    HeldThreadJob() : m_release(::CreateEventA(nullptr, TRUE, FALSE, nullptr))
    {
        m_thread.Attach(::CreateThread(nullptr, 0, &HeldThreadJob::Body, this, 0, &m_id));
    }
    ~HeldThreadJob() override { LetGo(); }

    void LetGo()
    {
        ::SetEvent(m_release.Get());
        if (m_thread)
            ::WaitForSingleObject(m_thread.Get(), 10000);
    }
    bool HasEnded() const { return ended; }

    HANDLE GetThreadHandle() override
    {
        return m_thread && ::WaitForSingleObject(m_thread.Get(), 0) == WAIT_TIMEOUT ? m_thread.Get() : NULL;
    }
    DWORD GetThreadId() override { return m_id; }
    int Stop(int) override { return 1; }

    std::atomic<bool> ended{false};

private:
    static DWORD WINAPI Body(void* self)
    {
        HeldThreadJob* job = static_cast<HeldThreadJob*>(self);
        ::WaitForSingleObject(job->m_release.Get(), 30000);
        ::Sleep(300);
        job->ended = true;
        return 0;
    }

    CHandle m_release;
    CHandle m_thread;
    DWORD m_id = 0;
};

class MainWindowTest : public testing::Test
{
protected:
    void SetUp() override
    {
        theApp.m_pEngineProcess = &m_job;
        theApp.m_cmdInfo = CCommandLineInfoEx();
        theApp.m_settings = SettingsRecord();
        theApp.m_bSiblingInstalled = 0;
        m_window.SetScanRequestHandler([this](ScanMode mode, const std::string& path) {
            m_scanRequests.push_back({0, mode, path});
        });
        m_window.SetUpdateCheckHandler([this](bool silent, CWnd* parent) {
            m_updateChecks.push_back(silent ? (parent == &m_window ? "silent, on the main window" : "silent")
                                            : (parent ? "shown, with a parent" : "shown"));
        });
    }
    void TearDown() override { theApp.m_pEngineProcess = nullptr; }

    // Runs the window modally here while drive works it from another thread;
    // drive ends with the window still open, and it is closed afterwards.
    INT_PTR RunWindow(const std::function<void(HWND)>& drive)
    {
        std::thread driver([this, &drive] {
            HWND window = NULL;
            EXPECT_TRUE(ProgramDriver::WaitFor(30000, [&] {
                return (window = m_window.GetSafeHwnd()) != NULL && ::IsWindowVisible(window);
            })) << "the main window did not show";
            if (window)
            {
                drive(window);
                m_job.busy = 0;
                ProgramDriver::CloseAnsweringBoxes(window);
            }
        });
        const INT_PTR result = m_window.DoModal();
        driver.join();
        return result;
    }

    FakeJobObject m_job;
    CRegClientDlg m_window;
    std::vector<ScanRequest> m_scanRequests;
    std::vector<std::string> m_updateChecks;
};
}

TEST_F(MainWindowTest, ClosingIsRefusedWhileAJobRuns)
{
    const INT_PTR result = RunWindow([&](HWND window) {
        m_job.busy = 1;
        for (int attempt : {IDC_CLOSE_BUTTON, ID_TRAY_EXIT, 0})
        {
            if (attempt)
                ::PostMessageA(window, WM_COMMAND, MAKEWPARAM(attempt, BN_CLICKED), 0);
            else
                ::PostMessageA(window, WM_CLOSE, 0, 0);
            const HWND box = ProgramDriver::WaitForMessageBoxOf(::GetCurrentProcessId(), 10000);
            EXPECT_NE(box, static_cast<HWND>(NULL)) << attempt;
            if (!box)
                return;
            EXPECT_EQ(ProgramDriver::WindowText(box), "Quillomar");
            EXPECT_EQ(ProgramDriver::MessageBoxText(box), "Please stop active operation before closing.");
            ProgramDriver::PressButton(box, IDOK);
            for (int i = 0; i < 100 && ::IsWindow(box); ++i)
                ::Sleep(50);
            EXPECT_TRUE(::IsWindowVisible(window)) << "closed while a job ran, by " << attempt;
        }
        m_job.busy = 0;
        Click(window, IDC_CLOSE_BUTTON);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(GetSharedMainWindow(), static_cast<HWND>(NULL)) << "the shared handle outlived the window";
}

TEST_F(MainWindowTest, ClosingIsRefusedWhileAJobsThreadRunsThoughTheEngineCallsItIdle)
{
    HeldThreadJob job;
    theApp.m_pEngineProcess = &job;
    const INT_PTR result = RunWindow([&](HWND window) {
        ::PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDC_CLOSE_BUTTON, BN_CLICKED), 0);
        const HWND box = ProgramDriver::WaitForMessageBoxOf(::GetCurrentProcessId(), 10000);
        EXPECT_NE(box, static_cast<HWND>(NULL)) << "closed while the job's thread ran";
        if (!box)
            return;
        EXPECT_EQ(ProgramDriver::MessageBoxText(box), "Please stop active operation before closing.");
        ProgramDriver::PressButton(box, IDOK);
        for (int i = 0; i < 100 && ::IsWindow(box); ++i)
            ::Sleep(50);
        EXPECT_TRUE(::IsWindowVisible(window));

        // Once the user stopped it, the job may wind down while the program
        // closes.
        theApp.JobObject()->Stop(1);
        Click(window, IDC_CLOSE_BUTTON);
        for (int i = 0; i < 100 && ::IsWindowVisible(window); ++i)
            ::Sleep(50);
        EXPECT_FALSE(::IsWindowVisible(window)) << "a stopped job kept the program open";
    });
    EXPECT_EQ(result, IDOK);
    job.LetGo();
    theApp.m_pEngineProcess = &m_job;
}

TEST_F(MainWindowTest, ASecondInstancesRequestStartsAScanUnlessAJobRuns)
{
    RunWindow([&](HWND window) {
        EXPECT_EQ(GetSharedMainWindow(), window);
        Click(window, IDC_HOME_BUTTON);
        m_job.busy = 1;
        EXPECT_EQ(Send(window, WM_INSTANCE_REQUEST, 1, 0), 1);
        EXPECT_EQ(Send(window, WM_SCAN_SHARED_PATH, 0, 0), 1);
        EXPECT_FALSE(IsEnabled(window, IDC_HOME_BUTTON)) << "a request during a job switched the page";
        m_job.busy = 0;
        EXPECT_EQ(Send(window, WM_INSTANCE_REQUEST, 1, 0), 1);
        EXPECT_FALSE(IsEnabled(window, IDC_SCAN_BUTTON));
        std::strcpy(GetSharedPath(), "C:\\users");
        EXPECT_EQ(Send(window, WM_SCAN_SHARED_PATH, 0, 0), 1);
        GetSharedPath()[0] = '\0';
    });
    ASSERT_EQ(m_scanRequests.size(), 2u);
    EXPECT_EQ(m_scanRequests[0].mode, ScanMode::Scheduled);
    EXPECT_EQ(m_scanRequests[0].path, "");
    EXPECT_EQ(m_scanRequests[1].mode, ScanMode::WithPath);
    EXPECT_EQ(m_scanRequests[1].path, "C:\\users");
}

TEST_F(MainWindowTest, AScheduledOrLogOnStartScansAtOnceWithoutAnUpdateCheck)
{
    theApp.m_settings.softwareUpdate = 1;
    theApp.m_cmdInfo.m_bStartScan = 1;
    RunWindow([&](HWND window) {
        Send(window, WM_NULL);
        EXPECT_FALSE(IsEnabled(window, IDC_SCAN_BUTTON));
    });
    ASSERT_EQ(m_scanRequests.size(), 1u);
    EXPECT_EQ(m_scanRequests[0].mode, ScanMode::Ordinary);
    EXPECT_TRUE(m_updateChecks.empty());

    m_scanRequests.clear();
    theApp.m_cmdInfo.m_bSchedule = 1;
    RunWindow([&](HWND window) { Send(window, WM_NULL); });
    ASSERT_EQ(m_scanRequests.size(), 1u);
    EXPECT_EQ(m_scanRequests[0].mode, ScanMode::Scheduled);
    EXPECT_TRUE(m_updateChecks.empty());
}

TEST_F(MainWindowTest, TheUpdateCheckRunsSilentlyAtStartOnlyWhenAskedFor)
{
    RunWindow([&](HWND window) {
        Send(window, WM_NULL);
        EXPECT_TRUE(m_updateChecks.empty());
        Click(window, IDC_UPDATE_LINK);
    });
    EXPECT_EQ(m_updateChecks, std::vector<std::string>{"shown"});
    EXPECT_TRUE(m_scanRequests.empty()) << "an ordinary start only shows the scan page";

    m_updateChecks.clear();
    theApp.m_settings.softwareUpdate = 1;
    RunWindow([&](HWND window) {
        for (int i = 0; i < 100 && m_updateChecks.empty(); ++i)
            Send(window, WM_NULL);
    });
    EXPECT_EQ(m_updateChecks, std::vector<std::string>{"silent, on the main window"});
}

TEST_F(MainWindowTest, ShowingAPageHidesTheOthersAndReloadsIt)
{
    CWnd results;
    CWnd startup;
    CWnd scanStep;
    const RECT rect = {0, 0, 50, 50};
    ASSERT_TRUE(results.CreateEx(0, nullptr, "results", WS_POPUP, rect, NULL, 0));
    ASSERT_TRUE(startup.CreateEx(0, nullptr, "startup", WS_POPUP, rect, NULL, 0));
    ASSERT_TRUE(scanStep.CreateEx(0, nullptr, "step", WS_POPUP, rect, NULL, 0));
    int resultsReloads = 0;
    int startupReloads = 0;
    m_window.AddScanStepPage(&scanStep);

    RunWindow([&](HWND window) {
        // In place of the real pages, which the window made as it started.
        m_window.SetPageWindow(kPageResults, &results);
        m_window.SetPageWindow(kPageStartup, &startup);
        m_window.SetPageRefresh(kPageResults, [&] { ++resultsReloads; });
        m_window.SetPageRefresh(kPageStartup, [&] { ++startupReloads; });
        Click(window, IDC_HOME_BUTTON);
        EXPECT_TRUE(results.IsWindowVisible());
        EXPECT_FALSE(startup.IsWindowVisible());
        scanStep.ShowWindow(SW_SHOW);
        Click(window, IDC_STARTUP_BUTTON);
        EXPECT_FALSE(results.IsWindowVisible());
        EXPECT_TRUE(startup.IsWindowVisible());
        EXPECT_FALSE(scanStep.IsWindowVisible());
        Click(window, IDC_SCAN_BUTTON);
        EXPECT_FALSE(results.IsWindowVisible());
        EXPECT_FALSE(startup.IsWindowVisible());
        // An unknown page only clears the captions.
        Click(window, IDC_STARTUP_BUTTON);
        m_window.ShowPage(7);
        EXPECT_EQ(ProgramDriver::WindowText(::GetDlgItem(window, IDC_CAPTION_LABEL)), "");
        EXPECT_TRUE(startup.IsWindowVisible());
        EXPECT_FALSE(IsEnabled(window, IDC_STARTUP_BUTTON));
    });
    EXPECT_EQ(resultsReloads, 1);
    EXPECT_EQ(startupReloads, 2);
}

TEST_F(MainWindowTest, APageIsMadeWhenFirstShownAndOnlyOnce)
{
    CWnd about;
    const RECT rect = {0, 0, 50, 50};
    int aboutMade = 0;
    int startupTried = 0;
    RunWindow([&](HWND window) {
        // In place of the real pages' makers, which the window joined as it
        // started.
        m_window.SetPageMaker(kPageAbout, &about, [&] {
            ++aboutMade;
            return about.CreateEx(0, nullptr, "about", WS_POPUP, rect, NULL, 0);
        });
        m_window.SetPageMaker(kPageStartup, nullptr, [&] {
            ++startupTried;
            return false;
        });
        Click(window, IDC_HOME_BUTTON);
        EXPECT_EQ(aboutMade, 0) << "showing another page made this one";
        Click(window, IDC_ABOUT_LINK);
        EXPECT_EQ(aboutMade, 1);
        EXPECT_TRUE(about.IsWindowVisible());
        Click(window, IDC_HOME_BUTTON);
        EXPECT_FALSE(about.IsWindowVisible());
        Click(window, IDC_ABOUT_LINK);
        EXPECT_EQ(aboutMade, 1) << "made again";
        EXPECT_TRUE(about.IsWindowVisible());

        // A page that cannot be made still switches the buttons and the
        // caption, and is not tried again.
        Click(window, IDC_STARTUP_BUTTON);
        Click(window, IDC_STARTUP_BUTTON);
        EXPECT_EQ(startupTried, 1);
        EXPECT_FALSE(IsEnabled(window, IDC_STARTUP_BUTTON));
        EXPECT_EQ(ProgramDriver::WindowText(::GetDlgItem(window, IDC_CAPTION_LABEL)), "MANAGE STARTUP");
        EXPECT_FALSE(about.IsWindowVisible());
    });
}

TEST_F(MainWindowTest, TheWindowGetsItsIconsOnceItHasShown)
{
    RunWindow([&](HWND window) {
        for (WPARAM kind : {ICON_BIG, ICON_SMALL})
            EXPECT_TRUE(ProgramDriver::WaitFor(5000, [&] { return ::SendMessageA(window, WM_GETICON, kind, 0) != 0; }))
                << "icon kind " << kind;
    });
}

TEST_F(MainWindowTest, WindowButtonsAndTrayCommands)
{
    theApp.m_bSiblingInstalled = 1;
    RunWindow([&](HWND window) {
        EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(window, IDC_SIBLING_BANNER)));
        EXPECT_NE(Send(window, WM_QUERYDRAGICON), 0);
        Click(window, IDC_MINIMIZE_BUTTON);
        EXPECT_TRUE(::IsIconic(window));
        Click(window, ID_TRAY_RESTORE);
        EXPECT_FALSE(::IsIconic(window));
        EXPECT_TRUE(::IsWindowVisible(window));
        Click(window, ID_TRAY_HIDE);
        EXPECT_FALSE(::IsWindowVisible(window));
        Click(window, ID_TRAY_RESTORE);
        EXPECT_TRUE(::IsWindowVisible(window));
    });
}

TEST(MainWindowAddresses, HelpAndSiblingPages)
{
    EXPECT_EQ(CRegClientDlg::HelpAddress(), "http://quillomar.example.com/help/");
    EXPECT_EQ(CRegClientDlg::SiblingAddress(), "http://kestrune.example.com/index.html?TID=R0931");
}

TEST(ProgramPath, TheSettingsFileLiesBesideTheProgram)
{
    EXPECT_EQ(SettingsFileFor("C:\\Program Files\\Quillomar\\Quillomar.exe"),
              "C:\\Program Files\\Quillomar\\qmsettings.ini");
    EXPECT_EQ(SettingsFileFor("Quillomar"), "qmsettings.ini");
    const std::string program = CRegClientApp::GetProgramPath();
    EXPECT_NE(program.find(":\\"), std::string::npos) << program;
    EXPECT_EQ(theApp.m_strIniPath, SettingsFileFor(program));
    EXPECT_EQ(theApp.m_bPortable, 1);
}

namespace
{
// An engine interface that notes whether COM was still there when the job
// object came back.
class RecordingEngine : public CAbstractTolvEngineInterface
{
public:
    std::vector<std::string> calls;

    CAbstractProcess* CreateEngineProcess() override { return new FakeJobObject; }
    void DestroyEngineProcess(CAbstractProcess* process) override
    {
        const HRESULT probe = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        calls.push_back(probe == S_FALSE ? "job object back, COM still up" : "job object back, COM gone");
        if (SUCCEEDED(probe))
            ::CoUninitialize();
        delete process;
    }
    CAbstractProcess* CreateEngineProcess2() override { return nullptr; }
};

class CountingStore : public CScanItemsInfo
{
public:
    explicit CountingStore(int& deleted) : m_deleted(deleted) {}
    ~CountingStore() override { ++m_deleted; }

private:
    int& m_deleted;
};
}

TEST(ApplicationExit, GivesTheJobObjectBackBeforeCom)
{
    // On a thread of its own, so that COM here is only the application's.
    RecordingEngine engine;
    int storesDeleted = 0;
    HRESULT afterExit = E_FAIL;
    std::thread([&] {
        ASSERT_TRUE(theApp.InitializeCom());
        g_pEngine = &engine;
        theApp.m_pEngineProcess = engine.CreateEngineProcess();
        theApp.m_pScanItems = new CountingStore(storesDeleted);
        theApp.ExitInstance();
        afterExit = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        if (SUCCEEDED(afterExit))
            ::CoUninitialize();
    }).join();
    EXPECT_EQ(engine.calls, std::vector<std::string>{"job object back, COM still up"});
    EXPECT_EQ(afterExit, S_OK) << "COM was not given back";
    EXPECT_EQ(storesDeleted, 1);
    EXPECT_EQ(theApp.m_pEngineProcess, nullptr);
    EXPECT_EQ(theApp.m_pScanItems, nullptr);
    EXPECT_EQ(g_pEngine, nullptr);
}

namespace
{
// The results store, noting whether the job's thread had ended when it went.
class WatchingStore : public CScanItemsInfo
{
public:
    WatchingStore(const HeldThreadJob& job, int& deletedAfterEnd, int& deletedBeforeEnd)
        : m_job(job), m_after(deletedAfterEnd), m_before(deletedBeforeEnd)
    {
    }
    ~WatchingStore() override { ++(m_job.HasEnded() ? m_after : m_before); }

private:
    const HeldThreadJob& m_job;
    int& m_after;
    int& m_before;
};
}

TEST(ApplicationExit, LetsGoOfTheStoreOnlyOnceTheJobsThreadHasEnded)
{
    // The user stopped a job and closed the program at once: its thread
    // still winds down.
    HeldThreadJob job;
    int deletedAfterEnd = 0;
    int deletedBeforeEnd = 0;
    theApp.m_pEngineProcess = &job;
    theApp.m_pScanItems = new WatchingStore(job, deletedAfterEnd, deletedBeforeEnd);
    std::thread letGo([&job] {
        ::Sleep(500);
        job.LetGo();
    });
    theApp.ExitInstance();
    letGo.join();
    EXPECT_EQ(deletedBeforeEnd, 0) << "the store went while the job's thread still ran";
    EXPECT_EQ(deletedAfterEnd, 1);
    EXPECT_EQ(theApp.m_pScanItems, nullptr);
    theApp.m_pEngineProcess = nullptr;
}

TEST(ApplicationExit, ReleasesTheRealEngineAndFreesItsLibrary)
{
    ASSERT_TRUE(theApp.LoadEngine());
    ASSERT_NE(::GetModuleHandleA("qmsag.dll"), static_cast<HMODULE>(NULL));
    theApp.m_pEngineProcess = g_pEngine->CreateEngineProcess();
    ASSERT_NE(theApp.m_pEngineProcess, nullptr);
    theApp.ExitInstance();
    EXPECT_EQ(g_pEngine, nullptr);
    EXPECT_FALSE(g_hEngineModule);
    EXPECT_EQ(::GetModuleHandleA("qmsag.dll"), static_cast<HMODULE>(NULL)) << "the library is still loaded";
}
