// The skinned button: modes from the template, its own check state, radio
// groups, the mouse and the keyboard, skins and masks.
#include <windows.h>

#include <gtest/gtest.h>

#include "Client/Controls/CxSkinButton.h"
#include "Framework/CDialog.h"
#include "KitTestResources.h"
#include "Client/Controls/KitTestSupport.h"

namespace
{
class SkinButtonTest : public KitTest::WindowTest
{
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        ASSERT_TRUE(m_page.Create(IDD_RADIO, &m_frame));
        for (int i = 0; i < 6; ++i)
            ASSERT_TRUE(m_buttons[i].SubclassDlgItem(IDC_RADIO_1 + i, &m_page));
        KitTest::PumpMessages();
    }
    CxSkinButton& Radio(int n) { return m_buttons[n - 1]; }
    CxSkinButton& Check() { return m_buttons[3]; }
    CxSkinButton& Push() { return m_buttons[4]; }
    static bool Checked(CWnd& button) { return button.SendMessage(BM_GETCHECK) == BST_CHECKED; }

    CDialog m_page{IDD_RADIO};
    CxSkinButton m_buttons[6];
};
}

TEST_F(SkinButtonTest, ModesComeFromTheTemplateAndTheButtonBecomesOwnerDrawn)
{
    EXPECT_EQ(CxSkinButton::kRadioMode, Radio(1).GetCheckMode());
    EXPECT_EQ(CxSkinButton::kCheckMode, Check().GetCheckMode());
    EXPECT_EQ(CxSkinButton::kPushMode, Push().GetCheckMode());
    for (CxSkinButton& button : m_buttons)
        EXPECT_EQ(static_cast<DWORD>(BS_OWNERDRAW), button.GetStyle() & BS_TYPEMASK);
}

TEST_F(SkinButtonTest, APushButtonNeverReportsACheck)
{
    Push().SendMessage(BM_SETCHECK, BST_CHECKED);
    EXPECT_FALSE(Checked(Push()));
    KitTest::Click(Push(), KitTest::CentreOf(Push()));
    ::SendMessageA(Push(), WM_KEYDOWN, VK_SPACE, 0);
    ::SendMessageA(Push(), WM_KEYUP, VK_SPACE, 0xC0000001);
    EXPECT_FALSE(Checked(Push()));
}

TEST_F(SkinButtonTest, CheckingARadioUnchecksTheRestOfItsGroupLater)
{
    Radio(1).SendMessage(BM_SETCHECK, BST_CHECKED);
    KitTest::PumpMessages(20);
    Radio(2).SendMessage(BM_SETCHECK, BST_CHECKED);
    // The others are told by posted messages, not at once.
    EXPECT_TRUE(Checked(Radio(1)));
    EXPECT_TRUE(Checked(Radio(2)));
    KitTest::PumpMessages(20);
    EXPECT_FALSE(Checked(Radio(1)));
    EXPECT_TRUE(Checked(Radio(2)));
    EXPECT_FALSE(Checked(Radio(3)));

    // A check box of another group is not touched.
    Check().SendMessage(BM_SETCHECK, BST_CHECKED);
    Radio(3).SendMessage(BM_SETCHECK, BST_CHECKED);
    KitTest::PumpMessages(20);
    EXPECT_TRUE(Checked(Check()));
    EXPECT_FALSE(Checked(Radio(2)));
    EXPECT_TRUE(Checked(Radio(3)));
}

TEST_F(SkinButtonTest, TheGroupWalkEndsFromADisabledOrHiddenButton)
{
    Radio(2).SendMessage(BM_SETCHECK, BST_CHECKED);
    KitTest::PumpMessages(10);
    // The group walk passes over disabled and hidden buttons, so it never
    // comes back to this one.
    Radio(1).EnableWindow(false);
    Radio(3).ShowWindow(SW_HIDE);
    Radio(1).SendMessage(BM_SETCHECK, BST_CHECKED);
    KitTest::PumpMessages(20);
    EXPECT_TRUE(Checked(Radio(1)));
    EXPECT_FALSE(Checked(Radio(2)));
}

TEST_F(SkinButtonTest, SpaceTogglesACheckAndChecksARadio)
{
    ::SendMessageA(Check(), WM_KEYDOWN, VK_SPACE, 0);
    EXPECT_TRUE(Checked(Check()));
    ::SendMessageA(Check(), WM_KEYDOWN, VK_SPACE, 0);
    EXPECT_FALSE(Checked(Check()));
    ::SendMessageA(Radio(3), WM_KEYDOWN, VK_SPACE, 0);
    ::SendMessageA(Radio(3), WM_KEYDOWN, VK_SPACE, 0);
    EXPECT_TRUE(Checked(Radio(3)));
    ::SendMessageA(Check(), WM_KEYUP, VK_SPACE, 0xC0000001);
    ::SendMessageA(Radio(3), WM_KEYUP, VK_SPACE, 0xC0000001);
}

TEST_F(SkinButtonTest, AClickTogglesOnlyWhenPressAndReleaseAreOnTheButton)
{
    KitTest::Click(Check(), KitTest::CentreOf(Check()));
    EXPECT_TRUE(Checked(Check()));
    KitTest::Click(Check(), KitTest::CentreOf(Check()));
    EXPECT_FALSE(Checked(Check()));

    // Released outside the button: no change.
    RECT rect = Check().GetClientRect();
    ::PostMessageA(Check(), WM_LBUTTONUP, 0, MAKELPARAM(rect.right + 40, rect.bottom + 40));
    ::SendMessageA(Check(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    KitTest::PumpMessages();
    EXPECT_FALSE(Checked(Check()));

    // A release that no press on this button began changes nothing.
    ::SendMessageA(Check(), WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    EXPECT_FALSE(Checked(Check()));

    KitTest::Click(Radio(2), KitTest::CentreOf(Radio(2)));
    EXPECT_TRUE(Checked(Radio(2)));
}

TEST_F(SkinButtonTest, APressHoldsThroughAPaintOnlyWhileTheCursorIsOnTheButton)
{
    // A paint between press and release asks where the cursor is, as a
    // user's drag off the button needs, and a press let go there sends no
    // click: a driver's click must put the cursor on the button first.
    const POINT centre = KitTest::CentreOf(Push());
    const LPARAM at = MAKELPARAM(centre.x, centre.y);
    for (const bool cursorOnButton : {true, false})
    {
        POINT screen = centre;
        ::ClientToScreen(Push(), &screen);
        if (!cursorOnButton)
            screen.x += 200;
        ASSERT_TRUE(::SetCursorPos(screen.x, screen.y));
        ::SendMessageA(Push(), WM_LBUTTONDOWN, MK_LBUTTON, at);
        ::RedrawWindow(Push(), nullptr, NULL, RDW_INVALIDATE | RDW_UPDATENOW);
        const bool held = (::SendMessageA(Push(), BM_GETSTATE, 0, 0) & BST_PUSHED) != 0;
        ::SendMessageA(Push(), WM_LBUTTONUP, 0, at);
        KitTest::PumpMessages();
        EXPECT_EQ(held, cursorOnButton) << "cursor on the button: " << cursorOnButton;
    }
}

TEST_F(SkinButtonTest, ADoubleClickActsAsASecondPress)
{
    KitTest::Click(Check(), KitTest::CentreOf(Check()));
    const LPARAM at = MAKELPARAM(3, 3);
    ::PostMessageA(Check(), WM_LBUTTONUP, 0, at);
    ::SendMessageA(Check(), WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    KitTest::PumpMessages();
    EXPECT_FALSE(Checked(Check())) << "two toggles";
}

TEST_F(SkinButtonTest, HoverIsTrackedUntilTheMouseLeaves)
{
    ::SendMessageA(Push(), WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
    EXPECT_TRUE(Push().IsHovering());
    ::SendMessageA(Push(), WM_MOUSELEAVE, 0, 0);
    EXPECT_FALSE(Push().IsHovering());
}

TEST_F(SkinButtonTest, SkinArgumentsAreReadAsTheirLowSixteenBits)
{
    Push().SetSkin(IDB_SKIN_NORMAL, IDB_SKIN_PRESSED, IDB_SKIN_HOVER, 0, 0, 0, 0x8001, 0x10001, 0x8000);
    EXPECT_EQ(CxSkinButton::kDrawNormal, Push().GetDrawMode());
    EXPECT_EQ(1, Push().GetBorder());
    EXPECT_EQ(0, Push().GetMargin());
    Push().SetSkin(IDB_SKIN_NORMAL, 0, 0, 0, 0, 0, 7, 0, 3);
    EXPECT_EQ(CxSkinButton::kDrawTile, Push().GetDrawMode());
    EXPECT_EQ(3, Push().GetMargin());
}

TEST_F(SkinButtonTest, ADisabledButtonWithoutItsOwnBitmapShowsTheNormalOne)
{
    Push().SetSkin(IDB_SKIN_NORMAL, IDB_SKIN_PRESSED, IDB_SKIN_HOVER, 0, 0, 0, 1, 0, 0);
    Push().SetWindowText("");
    Push().EnableWindow(false);
    Push().RedrawWindow(nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    KitTest::PumpMessages(30);
    EXPECT_EQ(RGB(0x3F, 0x7C, 0xC8), KitTest::ScreenPixel(Push(), POINT{4, 4}));
    Push().SetSkin(IDB_SKIN_NORMAL, IDB_SKIN_PRESSED, IDB_SKIN_HOVER, IDB_SKIN_DISABLED, 0, 0, 1, 0, 0);
    Push().RedrawWindow(nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    KitTest::PumpMessages(30);
    EXPECT_EQ(RGB(0xA0, 0xA8, 0xB4), KitTest::ScreenPixel(Push(), POINT{4, 4}));
}

TEST_F(SkinButtonTest, AMaskShapesTheWindowAndSizesItInDrawModeZero)
{
    const RECT before = Push().GetWindowRect();
    Push().SetSkin(IDB_SKIN_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0);
    const RECT unchanged = Push().GetWindowRect();
    EXPECT_EQ(before.right - before.left, unchanged.right - unchanged.left) << "no mask, no resize";

    Push().SetSkin(IDB_SKIN_NORMAL, 0, 0, 0, 0, IDB_SKIN_MASK, 0, 0, 0);
    const RECT sized = Push().GetWindowRect();
    EXPECT_EQ(80, sized.right - sized.left);
    EXPECT_EQ(24, sized.bottom - sized.top);
    HRGN region = ::CreateRectRgn(0, 0, 0, 0);
    ASSERT_NE(ERROR, ::GetWindowRgn(Push(), region));
    EXPECT_FALSE(::PtInRegion(region, 0, 0)) << "a rounded corner is cut";
    EXPECT_TRUE(::PtInRegion(region, 40, 12));
    ::DeleteObject(region);

    // Skinned again: the window's old region is the window's to drop.
    Push().SetSkin(IDB_SKIN_NORMAL, 0, 0, 0, 0, IDB_SKIN_MASK_WHITE, 1, 0, 0);
    region = ::CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(NULLREGION, ::GetWindowRgn(Push(), region)) << "a white mask leaves nothing";
    ::DeleteObject(region);
}

TEST_F(SkinButtonTest, RegionFromABitmapRunsOverNonKeyPixels)
{
    CBitmap key;
    ASSERT_TRUE(key.LoadBitmap(IDB_REGION_KEY));
    HRGN region = Push().CreateRegionFromBitmap(key, RGB(255, 0, 255));
    ASSERT_NE(nullptr, region);
    EXPECT_FALSE(::PtInRegion(region, 3, 0));
    EXPECT_TRUE(::PtInRegion(region, 3, 1));
    EXPECT_FALSE(::PtInRegion(region, 22, 12));
    ::DeleteObject(region);
    EXPECT_EQ(nullptr, Push().CreateRegionFromBitmap(nullptr, 0));
}
