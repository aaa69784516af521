// The backup page in this process: the job thread moves its progress bar
// without ever waiting for the window thread, and a job whose thread still
// makes its last calls keeps the page from starting the next.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>

#include "Client/Pages/CAdvanceOptions.h"
#include "Client/Shell/CRegClientApp.h"
#include "Client/res/BackupResource.h"
#include "Framework/CHandle.h"
#include "support/FakeJobObject.h"
#include "support/JobProgressProbe.h"
#include "support/MessagePump.h"
#include "support/ProgramDriver.h"

CRegClientApp theApp;

using namespace ProgramDriver;

namespace
{
// A job the engine no longer calls busy whose thread is held in its last
// call until the test lets it go. Every start is counted and refused.
class JobInItsLastCall : public FakeJobObject
{
public:
    JobInItsLastCall()
        : m_letGo(::CreateEventA(nullptr, TRUE, FALSE, nullptr)),
          m_thread(::CreateThread(nullptr, 0, &LastCall, this, 0, nullptr))
    {
    }
    ~JobInItsLastCall() override { LetGo(); }

    void LetGo()
    {
        ::SetEvent(m_letGo.Get());
        ::WaitForSingleObject(m_thread.Get(), 30000);
    }

    std::atomic<int> starts{0};

    HANDLE GetThreadHandle() override
    {
        return ::WaitForSingleObject(m_thread.Get(), 0) == WAIT_TIMEOUT ? m_thread.Get() : NULL;
    }
    int StartFullBackup(const char*, CAbstractStatus*) override
    {
        ++starts;
        return -1;
    }

private:
    static DWORD WINAPI LastCall(void* job)
    {
        ::WaitForSingleObject(static_cast<JobInItsLastCall*>(job)->m_letGo.Get(), 30000);
        return 0;
    }

    CHandle m_letGo;
    CHandle m_thread;
};

// Shows the page over job and runs its window thread while drive, on a
// thread of its own, uses it as the user would.
void RunPage(CAbstractProcess& job, const std::function<void(HWND page)>& drive)
{
    CWnd host;
    ASSERT_TRUE(host.CreateEx(0, nullptr, "Quillomar", WS_POPUP | WS_VISIBLE, RECT{0, 0, 692, 395}, NULL, 0));
    CAdvanceOptions page(&host);
    page.UseEngineProcess(&job);
    ASSERT_TRUE(page.Create(IDD_BACKUP_PAGE, &host));
    page.ShowWindow(SW_SHOW);
    TestPump::RunWhileUserDrives(page.GetSafeHwnd(), drive);
    page.DestroyWindow();
}

void Answer(const std::string& text)
{
    const HWND box = WaitForMessageBoxWith(::GetCurrentProcessId(), text, 10000);
    ASSERT_NE(box, static_cast<HWND>(NULL)) << "no message: " << text;
    EXPECT_EQ(MessageBoxText(box), text);
    AnswerMessageBox(box, IDOK);
    for (int i = 0; i < 100 && ::IsWindow(box); ++i)
        ::Sleep(50);
}
}

TEST(BackupPage, AJobWhoseThreadStillMakesItsLastCallsIsRunning)
{
    JobInItsLastCall job;
    RunPage(job, [&](HWND page) {
        ASSERT_TRUE(ClickWhenUsable(page, IDC_BACKUP_CREATE));
        Answer("Please stop other active operation before starting registry backup.");
        EXPECT_EQ(job.starts, 0) << "a backup was started over the running job";

        // Once its thread has ended the next backup starts (and here fails).
        job.LetGo();
        ASSERT_TRUE(ClickWhenUsable(page, IDC_BACKUP_CREATE));
        Answer("The registry backup could not be started.");
        EXPECT_EQ(job.starts, 1);
    });
}

TEST(BackupPage, TheJobsProgressDoesNotWaitForTheWindowThread)
{
    CWnd host;
    ASSERT_TRUE(host.CreateEx(0, nullptr, "Quillomar", WS_POPUP | WS_VISIBLE, RECT{0, 0, 692, 395}, NULL, 0));
    CAdvanceOptions page(&host);
    ASSERT_TRUE(page.Create(IDD_BACKUP_PAGE, &host));
    page.ShowWindow(SW_SHOW);
    // A full backup's first three steps.
    EXPECT_TRUE(ReportProgressWhileWindowThreadBusy(page, 3)) << "the job's thread waited for the window thread";
    const HWND bar = page.GetDlgItem(IDC_BACKUP_PROGRESS);
    EXPECT_EQ(::SendMessageA(bar, PBM_GETPOS, 0, 0), 5 + 3 * 19) << "the bar follows once the window thread runs";
    page.DestroyWindow();
}
