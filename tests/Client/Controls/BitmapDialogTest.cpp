// The skinned page base: its key filter, background, colour-keyed region,
// transparent statics, client drag and bitmap ownership.
#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "Client/Controls/CBitmapDialog.h"
#include "KitTestResources.h"
#include "Client/Controls/KitTestSupport.h"

namespace
{
constexpr COLORREF kKey = RGB(255, 0, 255);

// A page that records what reaches its window and its commands.
class RecordingPage : public CBitmapDialog
{
public:
    explicit RecordingPage(CWnd* parent, UINT templateId = IDD_TEST_PAGE) : CBitmapDialog(templateId, parent) {}

    std::vector<MSG> seen;
    int cancels = 0;
    int pushClicks = 0;
    int dragRequests = 0;

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_NCLBUTTONDOWN)
        {
            // Recorded, not run: the caption drag would hold the mouse.
            ++dragRequests;
            return 0;
        }
        return CBitmapDialog::WindowProc(message, wParam, lParam);
    }
    // What the filter leaves of a message, as the dispatch would see it.
    BOOL Filter(MSG* msg) { return PreTranslateMessage(msg); }

protected:
    void OnCancel() override { ++cancels; }
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override
    {
        if (LOWORD(wParam) == IDC_TEST_PUSH && HIWORD(wParam) == BN_CLICKED)
        {
            ++pushClicks;
            return TRUE;
        }
        return CBitmapDialog::OnCommand(wParam, lParam);
    }
};

class BitmapDialogTest : public KitTest::WindowTest
{
};

MSG Message(HWND hwnd, UINT message, WPARAM wParam)
{
    MSG msg{};
    msg.hwnd = hwnd;
    msg.message = message;
    msg.wParam = wParam;
    return msg;
}
}

TEST_F(BitmapDialogTest, EscapeIsSwallowedAndEnterBecomesSpaceOnKeyboardMessagesOnly)
{
    RecordingPage page(&m_frame);
    ASSERT_TRUE(page.Create());
    HWND push = page.GetDlgItem(IDC_TEST_PUSH);

    for (UINT message : {static_cast<UINT>(WM_KEYDOWN), static_cast<UINT>(WM_KEYUP), static_cast<UINT>(WM_CHAR)})
    {
        MSG escape = Message(push, message, VK_ESCAPE);
        EXPECT_TRUE(page.Filter(&escape)) << "Esc is taken out, message " << message;
        MSG enter = Message(push, message, VK_RETURN);
        page.Filter(&enter);
        EXPECT_EQ(static_cast<WPARAM>(VK_SPACE), enter.wParam) << "message " << message;
    }

    // A timer numbered 27, a mouse message whose key state reads 27, and
    // another message with wParam 13 pass as they are.
    MSG timer = Message(page, WM_TIMER, 27);
    EXPECT_FALSE(page.Filter(&timer));
    MSG mouse = Message(push, WM_MOUSEMOVE, 27);
    EXPECT_FALSE(page.Filter(&mouse));
    MSG command = Message(page, WM_COMMAND, 13);
    page.Filter(&command);
    EXPECT_EQ(13u, command.wParam);
    MSG sysKey = Message(push, WM_SYSKEYDOWN, VK_RETURN);
    page.Filter(&sysKey);
    EXPECT_EQ(static_cast<WPARAM>(VK_RETURN), sysKey.wParam);
}

TEST_F(BitmapDialogTest, EscapeDoesNotCloseAPageAndEnterPressesTheFocusedButton)
{
    RecordingPage page(&m_frame);
    ASSERT_TRUE(page.Create());
    page.ShowWindow(SW_SHOW);
    HWND push = page.GetDlgItem(IDC_TEST_PUSH);
    ::SetFocus(push);

    // The keys as the keyboard would queue them, through the program's loop.
    ::PostMessageA(push, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    ::PostMessageA(push, WM_KEYUP, VK_ESCAPE, 0xC0010001);
    KitTest::PumpMessages(50);
    EXPECT_EQ(0, page.cancels);
    EXPECT_TRUE(page.IsWindowVisible());

    ::PostMessageA(push, WM_KEYDOWN, VK_RETURN, 0x001C0001);
    ::PostMessageA(push, WM_KEYUP, VK_RETURN, 0xC01C0001);
    KitTest::PumpMessages(50);
    EXPECT_EQ(1, page.pushClicks) << "Enter clicks the focused button as Space does";
    EXPECT_EQ(0, page.cancels);
}

TEST_F(BitmapDialogTest, ATimerNumberedLikeEscapeStillReachesThePage)
{
    class TimedPage : public RecordingPage
    {
    public:
        using RecordingPage::RecordingPage;
        int ticks = 0;

    protected:
        void OnTimer(UINT_PTR id) override
        {
            if (id == 27)
                ++ticks;
        }
    } page(&m_frame);
    ASSERT_TRUE(page.Create());
    page.SetTimer(27, 10);
    ASSERT_TRUE(KitTest::PumpUntil([&] { return page.ticks > 0; }, 2000));
    page.KillTimer(27);
}

TEST_F(BitmapDialogTest, BackgroundIsPaintedAtTheTopLeftOnly)
{
    RecordingPage page(&m_frame, IDD_BITMAP_POPUP);
    ASSERT_TRUE(page.Create());
    ASSERT_EQ(1, page.SetBitmap(IDB_REGION_KEY));
    page.SetWindowPos(HWND_TOP, 100, 100, 100, 80, SWP_SHOWWINDOW);
    page.RedrawWindow(nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    KitTest::PumpMessages(50);
    EXPECT_EQ(kKey, KitTest::ScreenPixel(page, POINT{5, 0}));
    EXPECT_EQ(RGB(255, 255, 255), KitTest::ScreenPixel(page, POINT{5, 5}));
    EXPECT_EQ(kKey, KitTest::ScreenPixel(page, POINT{25, 15}));
    // Beyond the 60 x 40 bitmap the erase leaves the window as it was.
    HDC dc = ::GetDC(page);
    RECT rest{60, 0, 100, 80};
    ::FillRect(dc, &rest, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
    ::ReleaseDC(page, dc);
    HDC erase = ::GetDC(page);
    ::SendMessageA(page, WM_ERASEBKGND, reinterpret_cast<WPARAM>(erase), 0);
    ::ReleaseDC(page, erase);
    EXPECT_EQ(RGB(0, 0, 0), KitTest::ScreenPixel(page, POINT{80, 20}));
}

TEST_F(BitmapDialogTest, RegionCutsKeyedPixelsOutOfTheWindow)
{
    RecordingPage page(&m_frame, IDD_BITMAP_POPUP);
    ASSERT_TRUE(page.Create());
    page.SetWindowPos(nullptr, 0, 0, 60, 40, SWP_NOMOVE | SWP_NOZORDER);
    // Without a key or without a bitmap nothing is cut.
    page.EnableRegion(1);
    EXPECT_EQ(ERROR, ::GetWindowRgn(page, ::CreateRectRgn(0, 0, 0, 0)));
    page.SetBitmap(IDB_REGION_KEY);
    EXPECT_EQ(ERROR, ::GetWindowRgn(page, ::CreateRectRgn(0, 0, 0, 0)));

    page.SetTransparentColor(kKey);
    HRGN region = ::CreateRectRgn(0, 0, 0, 0);
    ASSERT_NE(ERROR, ::GetWindowRgn(page, region));
    EXPECT_FALSE(::PtInRegion(region, 10, 0)) << "the keyed top row is cut away";
    EXPECT_FALSE(::PtInRegion(region, 0, 5)) << "a keyed pixel at a run's start";
    EXPECT_TRUE(::PtInRegion(region, 1, 5));
    EXPECT_FALSE(::PtInRegion(region, 25, 15));
    EXPECT_TRUE(::PtInRegion(region, 30, 15)) << "the run after the keyed block";
    EXPECT_TRUE(::PtInRegion(region, 59, 39));
    ::DeleteObject(region);

    // The window owns its region: replacing it again and again is fine.
    for (int i = 0; i < 3; ++i)
        page.SetTransparentColor(kKey);
    page.EnableRegion(0);
    EXPECT_EQ(ERROR, ::GetWindowRgn(page, ::CreateRectRgn(0, 0, 0, 0))) << "off gives the rectangle back";
}

TEST_F(BitmapDialogTest, BitmapOwnership)
{
    RecordingPage page(&m_frame);
    EXPECT_EQ(0, page.SetBitmap(4242)) << "a missing bitmap";
    EXPECT_FALSE(page.HasBitmap());
    EXPECT_EQ(nullptr, page.GetBitmap());

    CBitmap mine;
    ASSERT_TRUE(mine.LoadBitmap(IDB_REGION_KEY));
    page.AttachBitmap(&mine);
    EXPECT_TRUE(page.HasBitmap());
    page.FreeBitmap();
    EXPECT_EQ(nullptr, page.GetBitmap()) << "the pointer is cleared";
    BITMAP info{};
    EXPECT_NE(0, ::GetObjectA(mine, sizeof(info), &info)) << "the caller's bitmap lives on";

    ASSERT_EQ(1, page.SetBitmap(IDB_REGION_KEY));
    HBITMAP first = page.GetBitmap()->Get();
    ASSERT_EQ(1, page.SetBitmap(IDB_SKIN_NORMAL));
    EXPECT_EQ(0, ::GetObjectA(first, sizeof(info), &info)) << "the first bitmap was deleted";

    ASSERT_EQ(1, page.CopyBitmap(mine));
    EXPECT_NE(mine.Get(), page.GetBitmap()->Get());
    EXPECT_EQ(60, page.GetBitmap()->GetSize().cx);
    EXPECT_EQ(0, page.SetBitmapByName(nullptr, "C:\\no such folder\\none.bmp"));
    EXPECT_FALSE(page.HasBitmap());
}

TEST_F(BitmapDialogTest, StaticsAreTransparentUnlessSwitchedOff)
{
    RecordingPage page(&m_frame);
    ASSERT_TRUE(page.Create());
    HWND text = page.GetDlgItem(IDC_TEST_TEXT);
    HDC dc = ::GetDC(text);
    const LRESULT hollow = ::SendMessageA(page, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                          reinterpret_cast<LPARAM>(text));
    EXPECT_EQ(reinterpret_cast<LRESULT>(::GetStockObject(NULL_BRUSH)), hollow);
    EXPECT_EQ(TRANSPARENT, ::GetBkMode(dc));

    page.SetTransparentStatics(0);
    ::SetBkMode(dc, OPAQUE);
    const LRESULT framework = ::SendMessageA(page, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                             reinterpret_cast<LPARAM>(text));
    EXPECT_NE(hollow, framework);
    EXPECT_EQ(OPAQUE, ::GetBkMode(dc));
    ::ReleaseDC(text, dc);
}

TEST_F(BitmapDialogTest, ClientDragAsksForACaptionDrag)
{
    RecordingPage page(&m_frame);
    ASSERT_TRUE(page.Create());
    ::SendMessageA(page, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    ::SendMessageA(page, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    KitTest::PumpMessages(20);
    EXPECT_EQ(0, page.dragRequests);
    page.EnableClientDrag(1);
    ::SendMessageA(page, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    KitTest::PumpMessages(20);
    EXPECT_EQ(1, page.dragRequests);
}

TEST_F(BitmapDialogTest, RefontAppliesTheTemplateFontAgain)
{
    RecordingPage page(&m_frame);
    ASSERT_TRUE(page.Create());
    HWND push = page.GetDlgItem(IDC_TEST_PUSH);
    // On a screen at the template's scale the page keeps the dialog
    // manager's own font; elsewhere the pass has made one already.
    const LRESULT managerFont = ::SendMessageA(push, WM_GETFONT, 0, 0);
    if (page.GetTemplateFont())
    {
        EXPECT_EQ(reinterpret_cast<LRESULT>(page.GetTemplateFont()), managerFont);
    }

    EXPECT_EQ(1, ::SendMessageA(page, WM_REFONT, 0, 0));
    HFONT first = page.GetTemplateFont();
    ASSERT_NE(nullptr, first);
    EXPECT_EQ(reinterpret_cast<LRESULT>(first), ::SendMessageA(push, WM_GETFONT, 0, 0));
    EXPECT_EQ(1, ::SendMessageA(page, WM_REFONT, 0, 0));
    HFONT second = page.GetTemplateFont();
    EXPECT_EQ(0, ::GetObjectType(first)) << "the font of the first pass was let go";
    EXPECT_EQ(reinterpret_cast<LRESULT>(second), ::SendMessageA(push, WM_GETFONT, 0, 0));
}
