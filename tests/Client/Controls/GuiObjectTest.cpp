// Every control gives back each GDI and USER object it made: the process's
// counts are the same before and after a hundred rounds of making, using and
// destroying it.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>

#include "Client/Controls/CBitmapDialog.h"
#include "Client/Controls/CCheckedTreeCtrl.h"
#include "Client/Controls/CItemListCtrl.h"
#include "Client/Controls/CLabel.h"
#include "Client/Controls/CPictureEx.h"
#include "Client/Controls/CSystemTray.h"
#include "Client/Controls/CxSkinButton.h"
#include "Framework/ShellCalls.h"
#include "KitTestResources.h"
#include "Client/Controls/KitTestSupport.h"

namespace
{
BOOL WINAPI NoShell(DWORD, PNOTIFYICONDATAA)
{
    return TRUE;
}

class GuiObjectTest : public KitTest::WindowTest
{
protected:
    // Two warm-up rounds fill the system's caches; then the counts must hold.
    void ExpectNoLeak(const std::function<void()>& round)
    {
        round();
        round();
        KitTest::PumpMessages(20);
        const DWORD gdi = KitTest::GdiObjectCount();
        const DWORD user = KitTest::UserObjectCount();
        ASSERT_GT(gdi, 0u) << "the GDI count must be readable";
        for (int i = 0; i < 100; ++i)
            round();
        KitTest::PumpMessages(20);
        EXPECT_EQ(gdi, KitTest::GdiObjectCount());
        EXPECT_EQ(user, KitTest::UserObjectCount());
    }
};
}

TEST_F(GuiObjectTest, TheCountsSeeObjectsComeAndGo)
{
    const DWORD gdi = KitTest::GdiObjectCount();
    const DWORD user = KitTest::UserObjectCount();
    HBRUSH brushes[5];
    for (HBRUSH& brush : brushes)
        brush = ::CreateSolidBrush(RGB(1, 2, 3));
    HWND window = ::CreateWindowExA(0, "STATIC", "", WS_CHILD, 0, 0, 5, 5, m_frame, nullptr, nullptr, nullptr);
    EXPECT_EQ(gdi + 5, KitTest::GdiObjectCount());
    EXPECT_EQ(user + 1, KitTest::UserObjectCount());
    for (HBRUSH brush : brushes)
        ::DeleteObject(brush);
    ::DestroyWindow(window);
    EXPECT_EQ(gdi, KitTest::GdiObjectCount());
    EXPECT_EQ(user, KitTest::UserObjectCount());
}

TEST_F(GuiObjectTest, SkinnedPage)
{
    ExpectNoLeak([&] {
        CBitmapDialog page(IDD_BITMAP_POPUP, &m_frame);
        ASSERT_TRUE(page.Create());
        page.SetBitmap(IDB_REGION_KEY);
        page.SetTransparentColor(RGB(255, 0, 255));
        page.EnableRegion(1);
        page.SetBitmap(IDB_PAGE_BACKGROUND);
        page.ShowWindow(SW_SHOW);
        page.RedrawWindow(nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        page.SendMessage(WM_REFONT);
        HDC dc = ::GetDC(page);
        page.SendMessage(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                         reinterpret_cast<LPARAM>(page.GetDlgItem(IDC_TEST_TEXT)));
        ::ReleaseDC(page, dc);
    });
}

TEST_F(GuiObjectTest, SkinnedButton)
{
    ExpectNoLeak([&] {
        CxSkinButton button;
        ASSERT_TRUE(button.CreateEx(0, "BUTTON", "Scan", WS_CHILD | WS_VISIBLE | BS_AUTOCHECKBOX,
                                    RECT{10, 10, 110, 40}, m_frame, 5));
        button.SetSkin(IDB_SKIN_NORMAL, IDB_SKIN_PRESSED, IDB_SKIN_HOVER, IDB_SKIN_DISABLED, 0, IDB_SKIN_MASK, 1, 1,
                       2);
        button.SetSkin(IDB_SKIN_NORMAL, IDB_SKIN_PRESSED, IDB_SKIN_HOVER, 0, 0, IDB_SKIN_MASK, 0, 0, 0);
        button.SendMessage(BM_SETCHECK, 1);
        button.RedrawWindow(nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        button.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
        button.EnableWindow(false);
        button.RedrawWindow(nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    });
}

TEST_F(GuiObjectTest, Label)
{
    ExpectNoLeak([&] {
        CLabel label;
        ASSERT_TRUE(label.CreateEx(0, "STATIC", "Label", WS_CHILD | WS_VISIBLE, RECT{10, 10, 200, 30}, m_frame, 6));
        label.SetFontName("Verdana").SetFontSize(10).SetFontBold(true).SetBkColor(RGB(1, 2, 3));
        label.SetBkColor(RGB(0, 0, 0), RGB(0, 0, 255), 1).SetText3D(1, 1).FlashText(true);
        label.RedrawWindow(nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        label.SetTransparent(true).SetRotationAngle(90, true);
        label.RedrawWindow(nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        label.SendMessage(WM_SYSCOLORCHANGE);
    });
}

TEST_F(GuiObjectTest, AnimatedPicture)
{
    ExpectNoLeak([&] {
        CPictureEx picture;
        ASSERT_TRUE(picture.Create("", WS_VISIBLE, RECT{10, 10, 40, 40}, m_frame, 7));
        ASSERT_TRUE(picture.LoadFromResource(MAKEINTRESOURCEA(IDG_RESTORE_PREVIOUS), "GIF"));
        picture.Draw();
        KitTest::PumpMessages(15);
        picture.RedrawWindow(nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        picture.UnLoad();
        picture.LoadFromResource(MAKEINTRESOURCEA(IDG_ONE_FRAME), "GIF");
        picture.Draw();
    });
}

TEST_F(GuiObjectTest, CheckedTree)
{
    ExpectNoLeak([&] {
        CCheckedTreeCtrl tree;
        ASSERT_TRUE(tree.Create(WS_VISIBLE, RECT{10, 10, 300, 200}, m_frame, 8));
        tree.InitImageLists();
        tree.InsertCategory("Windows Fonts        [2]", "about", 1);
        tree.AddItem(0, "Windows Fonts", "a", 1);
        tree.AddItem(0, "Windows Fonts", "b", 1);
        tree.RedrawWindow(nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        tree.ResetContents();
    });
}

TEST_F(GuiObjectTest, ItemList)
{
    ExpectNoLeak([&] {
        CItemListCtrl list;
        ASSERT_TRUE(list.Create(WS_VISIBLE | LVS_REPORT, RECT{10, 10, 300, 200}, m_frame, 9));
        list.InitImageLists();
        list.InsertStartupColumns("Program Name", "File Path", "Location", "Status");
        list.InsertItem(0, "row", 2);
        list.RedrawWindow(nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    });
}

TEST_F(GuiObjectTest, NotificationIcon)
{
    const ShellCalls::NotifyIconFunction previous = ShellCalls::SetNotifyIcon(NoShell);
    HICON icon = ::LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
    ExpectNoLeak([&] {
        CSystemTray tray;
        tray.AddIcon(IDM_TRAY, WM_USER + 1, icon, "Quillomar");
        tray.Animate({icon, icon}, 1000, 0);
        tray.SetDefaultMenuItem(0, true);
        tray.SendMessage(WM_USER + 1, IDM_TRAY, WM_LBUTTONDBLCLK);
    });
    ShellCalls::SetNotifyIcon(previous);
}
