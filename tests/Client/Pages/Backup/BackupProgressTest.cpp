// The backup page's progress bar in this process: the job thread moves it
// without ever waiting for the window thread.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "Client/Pages/CAdvanceOptions.h"
#include "Client/Shell/CRegClientApp.h"
#include "Client/res/BackupResource.h"

CRegClientApp theApp;

TEST(BackupPage, TheJobsProgressDoesNotWaitForTheWindowThread)
{
    CWnd host;
    ASSERT_TRUE(host.CreateEx(0, nullptr, "Quillomar", WS_POPUP | WS_VISIBLE, RECT{0, 0, 692, 395}, NULL, 0));
    CAdvanceOptions page(&host);
    ASSERT_TRUE(page.Create(IDD_BACKUP_PAGE, &host));
    page.ShowWindow(SW_SHOW);
    std::atomic<bool> reported{false};
    // A full backup's first steps, reported while the window thread is busy
    // elsewhere.
    std::thread reporting([&] {
        CAbstractStatus& sink = page;
        sink.OnProgress(0);
        for (int i = 0; i < 3; ++i)
            sink.OnProgress(1);
        reported = true;
    });
    ::Sleep(1500);
    EXPECT_TRUE(reported) << "the job's thread waited for the window thread";
    const DWORD start = ::GetTickCount();
    MSG message;
    while (!reported || ::GetTickCount() - start < 500)
    {
        while (::PeekMessageA(&message, NULL, 0, 0, PM_REMOVE))
            ::DispatchMessageA(&message);
        ::Sleep(10);
    }
    reporting.join();
    const HWND bar = page.GetDlgItem(IDC_BACKUP_PROGRESS);
    EXPECT_EQ(::SendMessageA(bar, PBM_GETPOS, 0, 0), 5 + 3 * 19) << "the bar follows once the window thread runs";
    page.DestroyWindow();
}
