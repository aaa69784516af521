// The backup page's progress bar in this process: the job thread moves it
// without ever waiting for the window thread.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "Client/Pages/CAdvanceOptions.h"
#include "Client/Shell/CRegClientApp.h"
#include "Client/res/BackupResource.h"
#include "support/JobProgressProbe.h"

CRegClientApp theApp;

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
