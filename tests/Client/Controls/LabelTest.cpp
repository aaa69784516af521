// The label: text, fonts, colours, links, flashing and the hover text.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Client/Controls/CLabel.h"
#include "Framework/CDialog.h"
#include "Framework/ShellCalls.h"
#include "KitTestResources.h"
#include "Client/Controls/KitTestSupport.h"

namespace
{
std::vector<std::string> g_opened;

HINSTANCE WINAPI RecordExecute(HWND, LPCSTR verb, LPCSTR file, LPCSTR, LPCSTR, INT)
{
    g_opened.push_back(std::string(verb ? verb : "(default)") + " " + (file ? file : ""));
    return reinterpret_cast<HINSTANCE>(33);
}

class NotifiedPage : public CDialog
{
public:
    explicit NotifiedPage(CWnd* parent) : CDialog(IDD_TEST_PAGE, parent) {}
    std::vector<NMHDR> notes;

protected:
    BOOL OnNotify(WPARAM, LPARAM lParam, LRESULT* result) override
    {
        notes.push_back(*reinterpret_cast<const NMHDR*>(lParam));
        *result = 0;
        return TRUE;
    }
};

class LabelTest : public KitTest::WindowTest
{
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        g_opened.clear();
        m_previous = ShellCalls::SetExecute(RecordExecute);
        ASSERT_TRUE(m_page.Create());
        m_page.ShowWindow(SW_SHOW);
        ASSERT_TRUE(m_label.SubclassDlgItem(IDC_TEST_TEXT, &m_page));
    }
    void TearDown() override
    {
        ShellCalls::SetExecute(m_previous);
        WindowTest::TearDown();
    }
    NotifiedPage m_page{&m_frame};
    CLabel m_label;
    ShellCalls::ExecuteFunction m_previous = nullptr;
};
}

TEST_F(LabelTest, SetTextNeedsAWindow)
{
    CLabel loose;
    loose.SetText("nowhere");
    EXPECT_EQ(nullptr, loose.GetSafeHwnd());
    m_label.SetText("Scan completed.").SetTextColor(RGB(200, 0, 0)).SetFontBold(true);
    EXPECT_EQ("Scan completed.", m_label.GetWindowText());
    EXPECT_EQ(RGB(200, 0, 0), m_label.GetTextColor());
    EXPECT_EQ(FW_BOLD, m_label.GetFontDescription().lfWeight);
}

TEST_F(LabelTest, FontSettersRebuildTheFont)
{
    const std::string longest(31, 'F');
    m_label.SetFontName(longest + "extra");
    EXPECT_EQ(longest, std::string(m_label.GetFontDescription().lfFaceName)) << "31 characters are kept";
    m_label.SetFontName("Verdana").SetFontSize(12).SetFontItalic(true).SetFontUnderline(true);
    const LOGFONTA& font = m_label.GetFontDescription();
    EXPECT_EQ(-16, font.lfHeight) << "12 points on a 96 per inch screen";
    EXPECT_TRUE(font.lfItalic);
    EXPECT_TRUE(font.lfUnderline);
    LOGFONTA made{};
    ASSERT_TRUE(::GetObjectA(m_label.GetLabelFont(), sizeof(made), &made));
    EXPECT_STREQ("Verdana", made.lfFaceName);
    m_label.SetRotationAngle(90, true);
    EXPECT_EQ(900, m_label.GetFontDescription().lfEscapement);
}

TEST_F(LabelTest, TransparentStyleStaysAndBordersFollowTheSetters)
{
    m_label.SetTransparent(true);
    EXPECT_TRUE(m_label.GetExStyle() & WS_EX_TRANSPARENT);
    m_label.SetTransparent(false);
    EXPECT_TRUE(m_label.GetExStyle() & WS_EX_TRANSPARENT) << "the style is never taken away";
    m_label.SetSunken(true).SetBorder(true);
    EXPECT_TRUE(m_label.GetExStyle() & WS_EX_STATICEDGE);
    EXPECT_TRUE(m_label.GetStyle() & WS_BORDER);
    m_label.SetSunken(false).SetBorder(false);
    EXPECT_FALSE(m_label.GetExStyle() & WS_EX_STATICEDGE);
    EXPECT_FALSE(m_label.GetStyle() & WS_BORDER);
}

TEST_F(LabelTest, SolidAndGradientBackgrounds)
{
    m_label.SetText("");
    m_label.SetBkColor(RGB(10, 120, 30));
    EXPECT_TRUE(m_label.HasBackgroundBrush());
    KitTest::PumpMessages(20);
    EXPECT_EQ(RGB(10, 120, 30), KitTest::ScreenPixel(m_label, POINT{2, 2}));

    m_label.SetBkColor(RGB(0, 0, 0), RGB(0, 0, 250), 1);
    EXPECT_FALSE(m_label.HasBackgroundBrush()) << "a gradient makes no brush";
    KitTest::PumpMessages(20);
    const RECT client = m_label.GetClientRect();
    const COLORREF left = KitTest::ScreenPixel(m_label, POINT{0, 2});
    const COLORREF right = KitTest::ScreenPixel(m_label, POINT{client.right - 1, 2});
    EXPECT_LT(GetBValue(left), 20);
    EXPECT_GT(GetBValue(right), 200);
}

TEST_F(LabelTest, GradientBandsFitTheWidth)
{
    HDC screen = ::GetDC(nullptr);
    HDC dc = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, 50, 4);
    HGDIOBJ old = ::SelectObject(dc, bitmap);
    RECT all{0, 0, 50, 4};
    ::FillRect(dc, &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    // Narrower than 100 pixels: one band per column, from black up to blue.
    CLabel::DrawGradient(dc, all, RGB(0, 0, 0), RGB(0, 0, 200), 100);
    EXPECT_EQ(RGB(0, 0, 0), ::GetPixel(dc, 0, 1));
    EXPECT_EQ(RGB(0, 0, 4), ::GetPixel(dc, 1, 1));
    EXPECT_EQ(RGB(0, 0, 196), ::GetPixel(dc, 49, 1));
    // Nothing for no width.
    ::FillRect(dc, &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    CLabel::DrawGradient(dc, RECT{10, 0, 10, 4}, RGB(0, 0, 0), RGB(0, 0, 0), 100);
    EXPECT_EQ(RGB(255, 255, 255), ::GetPixel(dc, 10, 1));
    ::SelectObject(dc, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(dc);
    ::ReleaseDC(nullptr, screen);
}

TEST_F(LabelTest, ANotifyingLinkTellsItsParentAndOpensNothing)
{
    m_label.SetLink(true, true);
    EXPECT_TRUE(m_label.GetStyle() & SS_NOTIFY);
    ::SendMessageA(m_label, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    ASSERT_EQ(1u, m_page.notes.size());
    EXPECT_EQ(NM_LINKCLICK, m_page.notes[0].code);
    EXPECT_EQ(static_cast<UINT_PTR>(IDC_TEST_TEXT), m_page.notes[0].idFrom);
    EXPECT_EQ(static_cast<HWND>(m_label), m_page.notes[0].hwndFrom);
    EXPECT_TRUE(g_opened.empty());
    m_label.SetLink(false, false);
    EXPECT_FALSE(m_label.GetStyle() & SS_NOTIFY);
}

TEST_F(LabelTest, WebAndMailLinksGoToTheShell)
{
    m_label.SetText("http://www.quillomar.example/");
    m_label.SetLink(true, false);
    ::SendMessageA(m_label, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    m_label.SetLinkUrl("http://www.quillomar.example/help/");
    ::SendMessageA(m_label, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    m_label.SetText("support@quillomar.example");
    m_label.SetMailLink(true, false);
    ::SendMessageA(m_label, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    ASSERT_EQ(3u, g_opened.size());
    EXPECT_EQ("open http://www.quillomar.example/", g_opened[0]) << "no address: the label's text";
    EXPECT_EQ("open http://www.quillomar.example/help/", g_opened[1]);
    EXPECT_EQ("(default) mailto:support@quillomar.example", g_opened[2]);
}

TEST_F(LabelTest, FlashingTogglesEveryHalfSecondAndStopsWhenSwitchedOff)
{
    m_label.SetBkColor(RGB(255, 255, 255));
    m_label.FlashText(true);
    EXPECT_TRUE(m_label.IsFlashing());
    EXPECT_FALSE(m_label.GetFlashPhase());
    ASSERT_TRUE(KitTest::PumpUntil([&] { return m_label.GetFlashPhase(); }, 2000));
    ASSERT_TRUE(KitTest::PumpUntil([&] { return !m_label.GetFlashPhase(); }, 2000));

    m_label.FlashText(false);
    EXPECT_FALSE(m_label.IsFlashing());
    EXPECT_EQ(CLabel::kNoFlash, m_label.GetFlashMode());
    const bool phase = m_label.GetFlashPhase();
    KitTest::PumpMessages(1200);
    EXPECT_EQ(phase, m_label.GetFlashPhase()) << "the timer was stopped";

    m_label.FlashBackground(true);
    EXPECT_EQ(CLabel::kFlashBackground, m_label.GetFlashMode());
    m_label.FlashBackground(false);
    EXPECT_FALSE(m_label.IsFlashing());
}

TEST_F(LabelTest, HoverWritesIntoTheTarget)
{
    CLabel target;
    ASSERT_TRUE(target.SubclassDlgItem(IDC_TEST_PUSH, &m_page));
    m_label.SetHoverTarget(&target, "Hovered");
    ::SendMessageA(m_label, WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
    EXPECT_EQ("Hovered", target.GetWindowText());
}

TEST_F(LabelTest, ALinkCursorIsShownOverTheLabel)
{
    HCURSOR hand = ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_HAND));
    m_label.SetLinkCursor(hand);
    EXPECT_EQ(TRUE, ::SendMessageA(m_label, WM_SETCURSOR, reinterpret_cast<WPARAM>(m_label.GetSafeHwnd()),
                                   MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
    EXPECT_EQ(hand, ::GetCursor());
}
