// The template font at 96 points per inch, and the walk over templates.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "Client/Controls/DialogFontScaler.h"
#include "Framework/CDialog.h"
#include "KitTestResources.h"
#include "Client/Controls/KitTestSupport.h"

namespace
{
class DialogFontScalerTest : public KitTest::WindowTest
{
protected:
    // A page of the template with the system's own dialog font.
    HWND MakePage(UINT templateId)
    {
        m_page = std::make_unique<CDialog>(templateId, &m_frame);
        EXPECT_TRUE(m_page->Create());
        return m_page->GetSafeHwnd();
    }
    static HWND Child(HWND page, int index)
    {
        HWND child = ::GetWindow(page, GW_CHILD);
        for (int i = 0; i < index && child; ++i)
            child = ::GetWindow(child, GW_HWNDNEXT);
        return child;
    }
    static RECT RectIn(HWND page, HWND child)
    {
        RECT rect{};
        ::GetWindowRect(child, &rect);
        ::MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&rect), 2);
        return rect;
    }
    static LOGFONTA FontOf(HWND window)
    {
        LOGFONTA font{};
        ::GetObjectA(reinterpret_cast<HFONT>(::SendMessageA(window, WM_GETFONT, 0, 0)), sizeof(font), &font);
        return font;
    }
    HMODULE Module() const { return ::GetModuleHandleA(nullptr); }

    std::unique_ptr<CDialog> m_page;
};
}

TEST_F(DialogFontScalerTest, TemplateFontIsCreatedAtNinetySixPointsPerInch)
{
    HWND page = MakePage(IDD_FONT_SETFONT);
    DialogFontScaler scaler;
    ASSERT_TRUE(scaler.Apply(Module(), page, IDD_FONT_SETFONT, 96.0));
    const LOGFONTA font = FontOf(page);
    EXPECT_EQ(-11, font.lfHeight) << "8 points at 96 per inch";
    EXPECT_STREQ("Tahoma", font.lfFaceName);
    EXPECT_EQ(400, font.lfWeight);
}

TEST_F(DialogFontScalerTest, ATemplateWithoutAFontGetsEightPointTahoma)
{
    const DialogTemplateWalker::Template t = DialogTemplateWalker::Load(Module(), IDD_FONT_NOSETFONT);
    ASSERT_NE(nullptr, t.data);
    const DialogFontScaler::TemplateFont font = DialogFontScaler::ReadTemplateFont(t);
    EXPECT_EQ(8, font.pointSize);
    EXPECT_EQ(400, font.weight);
    EXPECT_FALSE(font.italic);
    EXPECT_EQ(std::wstring(L"Tahoma"), font.faceName);

    const DialogFontScaler::TemplateFont bold =
        DialogFontScaler::ReadTemplateFont(DialogTemplateWalker::Load(Module(), IDD_FONT_BOLD));
    EXPECT_EQ(10, bold.pointSize);
    EXPECT_EQ(700, bold.weight);
    EXPECT_TRUE(bold.italic);
    EXPECT_EQ(std::wstring(L"Verdana"), bold.faceName);
}

TEST_F(DialogFontScalerTest, EveryControlIsPlacedInTheNewBaseUnitsAlsoAfterStaticsThatShareTheirId)
{
    HWND page = MakePage(IDD_FONT_SETFONT);
    DialogFontScaler scaler;
    ASSERT_TRUE(scaler.Apply(Module(), page, IDD_FONT_SETFONT, 96.0));
    HDC dc = ::GetDC(page);
    const SIZE base = DialogFontScaler::MeasureFont(dc, scaler.GetFont());
    ::ReleaseDC(page, dc);
    ASSERT_GT(base.cx, 0);

    auto expectAt = [&](HWND child, int x, int y, int cx, int cy) {
        const RECT r = RectIn(page, child);
        EXPECT_EQ(static_cast<int>(x * base.cx / 4.0 + 0.5), r.left);
        EXPECT_EQ(static_cast<int>(y * base.cy / 8.0 + 0.5), r.top);
        EXPECT_EQ(static_cast<int>(cx * base.cx / 4.0 + 0.5), r.right - r.left);
        EXPECT_EQ(static_cast<int>(cy * base.cy / 8.0 + 0.5), r.bottom - r.top);
        EXPECT_EQ(reinterpret_cast<LRESULT>(scaler.GetFont()), ::SendMessageA(child, WM_GETFONT, 0, 0));
    };
    expectAt(Child(page, 0), 10, 10, 60, 8);
    expectAt(Child(page, 1), 10, 20, 60, 8);
    expectAt(Child(page, 2), 10, 30, 60, 8);
    expectAt(::GetDlgItem(page, IDC_FONT_BUTTON), 10, 50, 50, 14);
    expectAt(::GetDlgItem(page, IDC_FONT_EDIT), 70, 50, 50, 14);

    RECT client{};
    ::GetClientRect(page, &client);
    EXPECT_EQ(static_cast<int>(160 * base.cx / 4.0 + 0.5), client.right);
    EXPECT_EQ(static_cast<int>(100 * base.cy / 8.0 + 0.5), client.bottom);
}

TEST_F(DialogFontScalerTest, AMissingControlStopsThePass)
{
    HWND page = MakePage(IDD_FONT_SETFONT);
    const HFONT before = reinterpret_cast<HFONT>(::SendMessageA(::GetDlgItem(page, IDC_FONT_EDIT), WM_GETFONT, 0, 0));
    const RECT editBefore = RectIn(page, ::GetDlgItem(page, IDC_FONT_EDIT));
    ::DestroyWindow(::GetDlgItem(page, IDC_FONT_BUTTON));
    DialogFontScaler scaler;
    ASSERT_TRUE(scaler.Apply(Module(), page, IDD_FONT_SETFONT, 96.0));
    HWND edit = ::GetDlgItem(page, IDC_FONT_EDIT);
    EXPECT_EQ(reinterpret_cast<LRESULT>(before), ::SendMessageA(edit, WM_GETFONT, 0, 0));
    const RECT editAfter = RectIn(page, edit);
    EXPECT_EQ(editBefore.left, editAfter.left);
    EXPECT_EQ(reinterpret_cast<LRESULT>(scaler.GetFont()), ::SendMessageA(Child(page, 2), WM_GETFONT, 0, 0));
}

TEST_F(DialogFontScalerTest, ApplyingTwiceEqualsOnceAndRestoreGivesTheOldFontBack)
{
    HWND page = MakePage(IDD_FONT_SETFONT);
    HWND edit = ::GetDlgItem(page, IDC_FONT_EDIT);
    const LRESULT original = ::SendMessageA(edit, WM_GETFONT, 0, 0);
    DialogFontScaler scaler;
    ASSERT_TRUE(scaler.Apply(Module(), page, IDD_FONT_SETFONT, 96.0));
    const RECT once = RectIn(page, edit);
    ASSERT_TRUE(scaler.Apply(Module(), page, IDD_FONT_SETFONT, 96.0));
    const RECT twice = RectIn(page, edit);
    EXPECT_TRUE(::EqualRect(&once, &twice));
    HFONT made = scaler.GetFont();
    scaler.Restore();
    EXPECT_EQ(original, ::SendMessageA(edit, WM_GETFONT, 0, 0));
    EXPECT_EQ(0, ::GetObjectType(made)) << "the made font is deleted";
    EXPECT_EQ(nullptr, scaler.GetWindow());
}

TEST_F(DialogFontScalerTest, AMissingTemplateChangesNothing)
{
    HWND page = MakePage(IDD_FONT_SETFONT);
    const LRESULT original = ::SendMessageA(page, WM_GETFONT, 0, 0);
    DialogFontScaler scaler;
    EXPECT_FALSE(scaler.Apply(Module(), page, 4711, 96.0));
    EXPECT_EQ(original, ::SendMessageA(page, WM_GETFONT, 0, 0));
    EXPECT_EQ(nullptr, scaler.GetWindow());
    EXPECT_EQ(nullptr, scaler.GetFont());
}

TEST_F(DialogFontScalerTest, PlainTemplatesAreWalkedToo)
{
    const DialogTemplateWalker::Template t = DialogTemplateWalker::Load(Module(), IDD_FONT_PLAIN);
    ASSERT_FALSE(DialogTemplateWalker::IsExtended(t));
    EXPECT_EQ(2, DialogTemplateWalker::ItemCount(t));
    const DialogFontScaler::TemplateFont font = DialogFontScaler::ReadTemplateFont(t);
    EXPECT_EQ(9, font.pointSize);
    EXPECT_EQ(0, font.weight);
    DialogTemplateWalker::Item item;
    const size_t first = DialogTemplateWalker::FirstItem(t);
    ASSERT_TRUE(DialogTemplateWalker::ReadItem(t, first, false, &item));
    EXPECT_EQ(0xFFFFu, item.id);
    ASSERT_TRUE(DialogTemplateWalker::ReadItem(t, DialogTemplateWalker::NextItem(t, first, false), false, &item));
    EXPECT_EQ(static_cast<DWORD>(IDC_FONT_BUTTON), item.id);

    HWND page = MakePage(IDD_FONT_PLAIN);
    DialogFontScaler scaler;
    ASSERT_TRUE(scaler.Apply(Module(), page, IDD_FONT_PLAIN, 96.0));
    EXPECT_EQ(-12, FontOf(page).lfHeight);
    EXPECT_EQ(reinterpret_cast<LRESULT>(scaler.GetFont()),
              ::SendMessageA(::GetDlgItem(page, IDC_FONT_BUTTON), WM_GETFONT, 0, 0));
}

TEST_F(DialogFontScalerTest, ACutTemplateIsNeverReadPastItsEnd)
{
    const DialogTemplateWalker::Template whole = DialogTemplateWalker::Load(Module(), IDD_FONT_SETFONT);
    ASSERT_NE(nullptr, whole.data);
    // Every shorter prefix, copied so that reading past it would be noticed
    // by the bounds alone.
    for (size_t size = 0; size < whole.size; ++size)
    {
        std::vector<BYTE> copy(whole.data, whole.data + size);
        DialogTemplateWalker::Template cut{copy.data(), size};
        DialogTemplateWalker::FontInfo font;
        DialogTemplateWalker::ReadFont(cut, &font);
        size_t item = DialogTemplateWalker::FirstItem(cut);
        for (int i = 0; i < 10 && item; ++i)
        {
            DialogTemplateWalker::Item read;
            EXPECT_TRUE(DialogTemplateWalker::ReadItem(cut, item, true, &read));
            EXPECT_LT(item, size);
            item = DialogTemplateWalker::NextItem(cut, item, true);
        }
    }
}

// A page at the template's own scale is not given the pass (it costs a
// round of work per control at every start): the dialog manager must
// already have placed it as the pass would, in the same font.
TEST_F(DialogFontScalerTest, AtTheTemplateScaleTheDialogManagerAlreadyLaysOutAsThePassWould)
{
    HDC screen = ::GetDC(nullptr);
    const int pointsPerInch = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);
    if (pointsPerInch != 96)
        GTEST_SKIP() << "the screen is at " << pointsPerInch << " points per inch";

    for (UINT templateId : {IDD_FONT_SETFONT, IDD_FONT_BOLD, IDD_FONT_PLAIN})
    {
        HWND page = MakePage(templateId);
        std::vector<RECT> before;
        for (HWND child = ::GetWindow(page, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
            before.push_back(RectIn(page, child));
        RECT clientBefore{};
        ::GetClientRect(page, &clientBefore);
        const LOGFONTA managerFont = FontOf(page);

        DialogFontScaler scaler;
        ASSERT_TRUE(scaler.Apply(Module(), page, templateId, 96.0));
        size_t index = 0;
        for (HWND child = ::GetWindow(page, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT), ++index)
        {
            const RECT after = RectIn(page, child);
            EXPECT_TRUE(::EqualRect(&before[index], &after))
                << "template " << templateId << ", control " << index << ": " << before[index].left << ","
                << before[index].top << "-" << before[index].right << "," << before[index].bottom << " became "
                << after.left << "," << after.top << "-" << after.right << "," << after.bottom;
        }
        RECT clientAfter{};
        ::GetClientRect(page, &clientAfter);
        EXPECT_TRUE(::EqualRect(&clientBefore, &clientAfter)) << "template " << templateId;
        const LOGFONTA passFont = FontOf(page);
        EXPECT_EQ(passFont.lfHeight, managerFont.lfHeight) << "template " << templateId;
        EXPECT_EQ(passFont.lfWeight, managerFont.lfWeight) << "template " << templateId;
        EXPECT_EQ(passFont.lfItalic, managerFont.lfItalic) << "template " << templateId;
        EXPECT_STREQ(passFont.lfFaceName, managerFont.lfFaceName) << "template " << templateId;
    }
}
