// The About page in the main window, and the threat pop-up on its own.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <thread>

#include "Client/Pages/CNotificationDlg.h"
#include "Client/Shell/CRegClientApp.h"
#include "Client/Shell/CRegClientDlg.h"
#include "Client/res/AboutResource.h"
#include "Client/res/PopupResource.h"
#include "Client/res/ShellResource.h"
#include "support/ProgramDriver.h"

// The program's application object, as the program itself has it.
CRegClientApp theApp;

namespace
{
// Runs a dialog modally here while drive works it from another thread.
template <typename Dialog>
INT_PTR RunModal(Dialog& dialog, const std::function<void(HWND)>& drive)
{
    std::thread driver([&] {
        HWND window = NULL;
        EXPECT_TRUE(ProgramDriver::WaitFor(30000, [&] {
            return (window = dialog.GetSafeHwnd()) != NULL && ::IsWindowVisible(window);
        })) << "the dialog did not show";
        if (window)
            drive(window);
    });
    const INT_PTR result = dialog.DoModal();
    driver.join();
    return result;
}

// The About page: the child of the main window built from its template.
HWND AboutPageOf(HWND mainWindow)
{
    // Other pages use the same control ids: the About page is the one made
    // by its own class.
    for (HWND child = ::GetWindow(mainWindow, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        if (::GetDlgItem(child, IDC_ABOUT_VERSION) && dynamic_cast<CAbout*>(CWnd::FromHandle(child)))
            return child;
    return NULL;
}

TEST(AboutPage, TheAboutLinkShowsTheVersionEveryTime)
{
    CRegClientDlg mainWindow;
    RunModal(mainWindow, [](HWND window) {
        // The page is made when its link is first pressed.
        EXPECT_EQ(AboutPageOf(window), static_cast<HWND>(NULL)) << "made before its link was pressed";
        HWND page = NULL;
        for (int round = 0; round < 2; ++round)
        {
            // A failure ends the rounds, never the close below: the modal
            // window must not outlive the test.
            const bool shown = ProgramDriver::ClickWhenUsable(window, IDC_ABOUT_LINK) &&
                               ProgramDriver::WaitFor(5000, [&] {
                                   page = AboutPageOf(window);
                                   return page && ::IsWindowVisible(page);
                               });
            EXPECT_TRUE(shown) << "the About link did not show the page";
            if (!shown)
                break;
            EXPECT_EQ(ProgramDriver::WindowText(::GetDlgItem(window, IDC_CAPTION_LABEL)), "ABOUT");
            EXPECT_EQ(ProgramDriver::WindowText(::GetDlgItem(page, IDC_ABOUT_VERSION)), "0.9.3.1");
            EXPECT_NE(ProgramDriver::WindowText(::GetDlgItem(page, IDC_ABOUT_NOTICE)).find("Quillomar"),
                      std::string::npos);
            RECT pageRect, windowRect;
            ::GetWindowRect(page, &pageRect);
            ::GetWindowRect(window, &windowRect);
            EXPECT_LE(pageRect.right, windowRect.right);
            EXPECT_LE(pageRect.bottom, windowRect.bottom);
            if (round == 0)
            {
                ::Sleep(300);
                ProgramDriver::SaveScreenshot(window, "about-page");
            }
            EXPECT_TRUE(ProgramDriver::ClickWhenUsable(window, IDC_HOME_BUTTON));
            EXPECT_TRUE(ProgramDriver::WaitFor(5000, [&] { return !::IsWindowVisible(page); }));
        }
        ::PostMessageA(window, WM_CLOSE, 0, 0);
    });
}

TEST(ThreatPopup, ShowsTheThreatOnTopAndAnswersByItsButtons)
{
    CNotificationDlg popup;
    // A percent sign is shown, not taken for a format.
    popup.m_strThreat = "Worm.100%s%d";
    const INT_PTR allowed = RunModal(popup, [](HWND window) {
        EXPECT_EQ(ProgramDriver::WindowText(::GetDlgItem(window, IDC_POPUP_MESSAGE)),
                  "Threat 'Worm.100%s%d'\n\rBLOCKED");
        EXPECT_EQ(ProgramDriver::WindowText(::GetDlgItem(window, IDC_POPUP_HINT)),
                  "To allow this threat next time, click Allow button.");
        EXPECT_NE(::GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
        // Esc does not close it.
        ::PostMessageA(::GetDlgItem(window, IDC_POPUP_ALLOW), WM_KEYDOWN, VK_ESCAPE, 0);
        ::PostMessageA(::GetDlgItem(window, IDC_POPUP_ALLOW), WM_KEYUP, VK_ESCAPE, 0);
        ::Sleep(300);
        EXPECT_TRUE(::IsWindowVisible(window));
        ProgramDriver::SaveScreenshot(window, "threat-popup");
        ProgramDriver::ClickWhenUsable(window, IDC_POPUP_ALLOW);
    });
    EXPECT_EQ(allowed, 1);

    CNotificationDlg second;
    const INT_PTR dismissed = RunModal(second, [](HWND window) {
        EXPECT_EQ(ProgramDriver::WindowText(::GetDlgItem(window, IDC_POPUP_MESSAGE)), "Threat ''\n\rBLOCKED");
        EXPECT_EQ(ProgramDriver::WindowText(::GetDlgItem(window, IDCANCEL)), "OK");
        ProgramDriver::ClickWhenUsable(window, IDCANCEL);
    });
    EXPECT_EQ(dismissed, IDCANCEL);
}
}
