// The updater's dialog in this process, driven from a second thread: closing
// it in each way while its worker waits on the network, a question left open
// when it closes, the installer's start, and the main window's ways to it.
// The loopback server needs winsock2.h, which must come before windows.h.
#include <winsock2.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "Client/Shell/CRegClientApp.h"
#include "Client/Shell/CRegClientDlg.h"
#include "Client/Shell/CRegUpdateDlg.h"
#include "Client/Shell/ProgramMessages.h"
#include "Client/Shell/UpdateProtocol.h"
#include "Client/res/SettingsResource.h"
#include "Client/res/ShellResource.h"
#include "Client/res/UpdaterResource.h"
#include "Framework/ShellCalls.h"
#include "DownloadedInstallers.h"
#include "LoopbackHttpServer.h"
#include "support/ProgramDriver.h"

// The program's application object, as the program itself has it.
CRegClientApp theApp;

namespace
{
const char* const kDownloading = "Downloading latest version of Quillomar";
const char* const kNewVersion = "A new version of Quillomar is available, Do you want to download it";

std::vector<std::string> g_opened;
std::vector<UINT> g_programEnds;

HINSTANCE WINAPI RecordOpen(HWND, LPCSTR, LPCSTR file, LPCSTR, LPCSTR, INT)
{
    g_opened.push_back(file);
    return reinterpret_cast<HINSTANCE>(42);
}

void RecordProgramEnd(UINT code)
{
    g_programEnds.push_back(code);
}

std::string StatusOf(HWND updater)
{
    char text[200] = {};
    ::GetWindowTextA(::GetDlgItem(updater, IDC_UPDATE_STATUS), text, sizeof(text));
    return text;
}

BOOL CALLBACK FindUpdaterWindow(HWND window, LPARAM context)
{
    DWORD process = 0;
    ::GetWindowThreadProcessId(window, &process);
    if (process == ::GetCurrentProcessId() && ::IsWindowVisible(window) && ::GetDlgItem(window, IDC_UPDATE_TITLE))
    {
        *reinterpret_cast<HWND*>(context) = window;
        return FALSE;
    }
    return TRUE;
}

// The updater's window among this process's windows.
HWND FindUpdater()
{
    HWND found = NULL;
    ::EnumWindows(&FindUpdaterWindow, reinterpret_cast<LPARAM>(&found));
    return found;
}

class UpdaterDialogTest : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_server.IsRunning());
        UpdateProtocol::SetServerAddressForTests(m_server.Address("/check.php"));
        g_opened.clear();
        g_programEnds.clear();
        m_previousOpen = ShellCalls::SetExecute(&RecordOpen);
        m_previousEnd = CRegUpdateDlg::SetProgramEnd(&RecordProgramEnd);
        m_before = DownloadedInstallers();
    }
    void TearDown() override
    {
        ShellCalls::SetExecute(m_previousOpen);
        CRegUpdateDlg::SetProgramEnd(m_previousEnd);
        UpdateProtocol::SetServerAddressForTests("");
    }

    // An updater in installer mode whose questions are answered Yes and
    // recorded, run modally here while drive works it from another thread.
    INT_PTR RunUpdater(const std::function<void(HWND)>& drive, bool hookQuestions = true)
    {
        UpdateProtocol::QueryFacts facts;
        facts.portable = false;
        CRegUpdateDlg updater(nullptr, 0, facts, false);
        if (hookQuestions)
            updater.Job()->SetMessageBox([this](const std::string& text, UINT) {
                m_questions.push_back(text);
                return IDYES;
            });
        std::thread driver([&] {
            HWND window = NULL;
            EXPECT_TRUE(ProgramDriver::WaitFor(30000, [&] {
                return (window = updater.GetSafeHwnd()) != NULL && ::IsWindowVisible(window);
            })) << "the updater's window did not show";
            if (window)
                drive(window);
        });
        const INT_PTR result = updater.DoModal();
        driver.join();
        m_workerLeft = updater.HasWorker();
        return result;
    }

    void ServeSlowDownload()
    {
        m_server.AnswerText("/check.php", "y" + m_server.Address("/setup.exe"));
        LoopbackHttpServer::Reply slow;
        slow.body = std::string(4 * 1024 * 1024, 'x');
        slow.sendBytes = 2 * 4095;
        slow.holdMs = 4000;
        m_server.Answer("/setup.exe", slow);
    }

    bool DownloadStarted()
    {
        const std::vector<std::string> requests = m_server.Requests();
        return !requests.empty() && requests.back() == "/setup.exe";
    }

    LoopbackHttpServer m_server;
    ShellCalls::ExecuteFunction m_previousOpen = nullptr;
    CRegUpdateDlg::ProgramEnd m_previousEnd = nullptr;
    std::set<std::string> m_before;
    std::vector<std::string> m_questions;
    bool m_workerLeft = true;
};

TEST_F(UpdaterDialogTest, ClosingDuringADownloadWaitsForTheWorkerAndKeepsNothing)
{
    struct CloseWay
    {
        const char* name;
        UINT message;
        WPARAM wParam;
    };
    const CloseWay ways[] = {
        {"close request", WM_CLOSE, 0},
        {"Alt+F4", WM_SYSCOMMAND, SC_CLOSE},
        {"Cancel", WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED)},
    };
    bool first = true;
    for (const CloseWay& way : ways)
    {
        SCOPED_TRACE(way.name);
        m_questions.clear();
        ServeSlowDownload();
        RunUpdater([&](HWND updater) {
            EXPECT_TRUE(ProgramDriver::WaitFor(10000, [&] { return DownloadStarted() && StatusOf(updater) == kDownloading; }));
            ::Sleep(300);
            if (first)
                ProgramDriver::SaveScreenshot(updater, "updater-downloading");
            first = false;
            ::PostMessageA(updater, way.message, way.wParam, 0);
        });
        EXPECT_FALSE(m_workerLeft);
        EXPECT_EQ(m_questions, std::vector<std::string>{kNewVersion}) << "no download error after a cancel";
        EXPECT_TRUE(g_opened.empty());
        EXPECT_TRUE(g_programEnds.empty());
        EXPECT_EQ(DownloadedInstallers(), m_before) << "the partial installer is deleted";
    }
}

TEST_F(UpdaterDialogTest, ClosingWhileTheReplyIsAwaitedEndsTheCheckQuietly)
{
    LoopbackHttpServer::Reply stalled;
    stalled.body = "n";
    stalled.announced = 1;
    stalled.sendBytes = 0;
    stalled.holdMs = 4000;
    m_server.Answer("/check.php", stalled);
    RunUpdater([&](HWND updater) {
        EXPECT_TRUE(ProgramDriver::WaitFor(10000, [&] {
            return !m_server.Requests().empty() && StatusOf(updater) == "Checking for updates...";
        }));
        ::Sleep(300);
        ::PostMessageA(updater, WM_SYSCOMMAND, SC_CLOSE, 0);
        EXPECT_TRUE(ProgramDriver::WaitFor(2000, [&] { return !::IsWindowVisible(updater); })) << "gone for the user at once";
    });
    EXPECT_FALSE(m_workerLeft);
    EXPECT_TRUE(m_questions.empty()) << "nothing said about a check the user ended";
}

TEST_F(UpdaterDialogTest, AQuestionLeftOpenIsAnsweredNoWhenTheDialogCloses)
{
    m_server.AnswerText("/check.php", "y" + m_server.Address("/setup.exe"));
    m_server.AnswerText("/setup.exe", "MZ");
    RunUpdater(
        [&](HWND updater) {
            const HWND box = ProgramDriver::WaitForMessageBoxOf(::GetCurrentProcessId(), 10000);
            EXPECT_EQ(ProgramDriver::MessageBoxText(box), kNewVersion);
            ::PostMessageA(updater, WM_CLOSE, 0, 0);
            EXPECT_TRUE(ProgramDriver::WaitFor(10000, [&] { return !::IsWindow(box); }));
        },
        false);
    EXPECT_FALSE(m_workerLeft);
    EXPECT_EQ(m_server.Requests().size(), 1u) << "nothing downloaded";
    EXPECT_TRUE(g_opened.empty());
}

TEST_F(UpdaterDialogTest, ACompleteDownloadStartsTheInstallerAndEndsTheProgram)
{
    m_server.AnswerText("/check.php", "y" + m_server.Address("/setup.exe"));
    m_server.AnswerText("/setup.exe", std::string(10000, 'z'));
    RunUpdater([&](HWND) {});
    EXPECT_EQ(m_questions.size(), 2u);
    ASSERT_EQ(g_opened.size(), 1u);
    EXPECT_EQ(g_programEnds, std::vector<UINT>{0u});
    EXPECT_FALSE(m_workerLeft);
    ::DeleteFileA(g_opened[0].c_str());
}

// The main window's update link, the settings page's update button and the
// start-up check open the updater through the application; the start-up
// check is the silent one.
TEST_F(UpdaterDialogTest, TheMainWindowsLinkAndStartUpCheckOpenTheUpdater)
{
    m_server.AnswerText("/check.php", "n");
    theApp.m_settings.runCount = 12;
    CRegClientDlg mainWindow;
    theApp.ConnectUpdater(mainWindow);
    std::string expectedBoxes;
    std::thread driver([&] {
        HWND window = NULL;
        EXPECT_TRUE(ProgramDriver::WaitFor(30000, [&] {
            return (window = mainWindow.GetSafeHwnd()) != NULL && ::IsWindowVisible(window);
        })) << "the main window did not show";
        for (const char* way : {"update link", "settings page's button", "start-up check"})
        {
            SCOPED_TRACE(way);
            const std::string how = way;
            if (how == "start-up check")
                ::PostMessageA(window, WM_AUTO_UPDATE, 0, 0);
            else if (how == "update link")
                ProgramDriver::PressButton(window, IDC_UPDATE_LINK);
            else
            {
                // The button sits on a tab of its own; its command is what counts.
                const HWND button = ProgramDriver::FindControl(window, IDC_CHECK_UPDATE);
                EXPECT_NE(button, static_cast<HWND>(NULL));
                ::PostMessageA(::GetParent(button), WM_COMMAND, MAKEWPARAM(IDC_CHECK_UPDATE, BN_CLICKED),
                               reinterpret_cast<LPARAM>(button));
            }
            HWND updater = NULL;
            EXPECT_TRUE(ProgramDriver::WaitFor(10000, [&] { return (updater = FindUpdater()) != NULL; }));
            const HWND box = ProgramDriver::WaitForMessageBoxOf(::GetCurrentProcessId(), 10000);
            EXPECT_EQ(ProgramDriver::MessageBoxText(box), "You are already running latest version of Quillomar");
            ::PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
            // Until its window is gone the updater is still the open one.
            EXPECT_TRUE(ProgramDriver::WaitFor(10000, [&] { return !::IsWindow(updater); }));
        }
        // The query reports the settings page's two boxes as they stand.
        const bool logOnScan = ::SendMessageA(ProgramDriver::FindControl(window, IDC_LOGON_SCAN), BM_GETCHECK, 0, 0);
        const bool noSchedule =
            ::SendMessageA(ProgramDriver::FindControl(window, IDC_DISABLE_SCHEDULE), BM_GETCHECK, 0, 0);
        expectedBoxes = std::string(logOnScan ? "&sp=1" : "&sp=0") + "&su=0" + (noSchedule ? "&ss=0" : "&ss=1");
        ProgramDriver::CloseAnsweringBoxes(window);
    });
    mainWindow.DoModal();
    driver.join();
    const std::vector<std::string> requests = m_server.Requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_NE(requests[0].find("&cv=12&apptype=portable" + expectedBoxes), std::string::npos) << requests[0];
    EXPECT_EQ(requests[1], requests[0]) << "the same check from the settings page";
    EXPECT_NE(requests[2].find("&su=1"), std::string::npos) << requests[2];
}
}
