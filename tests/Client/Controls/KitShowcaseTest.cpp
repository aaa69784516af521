// A whole skinned page built from the kit, run modally through the
// framework's loop the way the program runs its main window: it is shown,
// saved as a screenshot for a look, and driven by keys as a user would.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "Client/Controls/CBitmapDialog.h"
#include "Client/Controls/CCheckedTreeCtrl.h"
#include "Client/Controls/CLabel.h"
#include "Client/Controls/CPictureEx.h"
#include "Client/Controls/CheckedTreeOwner.h"
#include "Client/Controls/CxSkinButton.h"
#include "Framework/CDataExchange.h"
#include "Framework/CProgressCtrl.h"
#include "KitTestResources.h"
#include "Client/Controls/KitTestSupport.h"

namespace
{
constexpr COLORREF kNavy = RGB(0x17, 0x36, 0x5F);
constexpr COLORREF kSidebar = RGB(0xEA, 0xF1, 0xFA);
constexpr UINT_PTR kShotTimer = 1;
constexpr UINT_PTR kEscapeCheckTimer = 2;
constexpr UINT_PTR kGiveUpTimer = 3;

class ShowcasePage : public CBitmapDialog, public CheckedTreeOwner
{
public:
    ShowcasePage() : CBitmapDialog(IDD_SHOWCASE, nullptr) {}

    std::string screenshot;
    bool openAfterEscape = false;
    int cancels = 0;
    COLORREF cornerPixel = 0;
    COLORREF bodyPixel = 0;

    int& SelectedCount() override { return m_selected; }
    int& TotalCount() override { return m_total; }
    CLabel* SelectionLabel() override { return &m_selection; }
    void SetDescription(const std::string& description) override { m_description.SetText(description); }

protected:
    void DoDataExchange(CDataExchange* dx) override
    {
        dx->Control(IDC_SC_TITLE, m_title);
        dx->Control(IDC_SC_SUBTITLE, m_subtitle);
        dx->Control(IDC_SC_BADGE, m_badge);
        dx->Control(IDC_SC_CLOSE, m_close);
        for (int i = 0; i < 4; ++i)
            dx->Control(IDC_SC_NAV_SCAN + i, m_nav[i]);
        dx->Control(IDC_SC_SPINNER, m_spinner);
        dx->Control(IDC_SC_SPINNER_TEXT, m_spinnerText);
        dx->Control(IDC_SC_HEADING, m_heading);
        dx->Control(IDC_SC_VIEW_REGISTRY, m_viewRegistry);
        dx->Control(IDC_SC_VIEW_JUNK, m_viewJunk);
        dx->Control(IDC_SC_TREE, m_tree);
        dx->Control(IDC_SC_DESCRIPTION, m_description);
        dx->Control(IDC_SC_SELECTION, m_selection);
        dx->Control(IDC_SC_RESTORE_POINT, m_restorePoint);
        dx->Control(IDC_SC_PROGRESS, m_progress);
        dx->Control(IDC_SC_REPAIR, m_repair);
        dx->Control(IDC_SC_BACK, m_back);
        dx->Control(IDC_SC_STATUS, m_status);
        dx->Control(IDC_SC_LINK, m_link);
    }

    BOOL OnInitDialog() override
    {
        CBitmapDialog::OnInitDialog();
        SetBitmap(IDB_PAGE_BACKGROUND);
        const SIZE size = GetBitmap()->GetSize();
        SetWindowPos(nullptr, 40, 40, size.cx, size.cy, SWP_NOZORDER);
        SetTransparentColor(RGB(255, 0, 255));
        EnableRegion(1);
        EnableClientDrag(1);
        SetWindowText("Quillomar");
        SetUpLabels();
        SetUpButtons();
        SetUpTree();
        m_progress.SetRange(0, 100);
        m_progress.SetPos(65);
        if (m_spinner.LoadFromResource(MAKEINTRESOURCEA(334), "GIF"))
        {
            m_spinner.Draw();
            m_spinner.SetBkColor(kSidebar);
        }
        SetTimer(kShotTimer, 900);
        SetTimer(kGiveUpTimer, 20000);
        return TRUE;
    }

    void OnTimer(UINT_PTR id) override
    {
        if (id == kShotTimer)
        {
            KillTimer(kShotTimer);
            RedrawWindow(nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
            screenshot = KitTest::SaveScreenshot(m_hWnd, "kit-showcase");
            cornerPixel = KitTest::ScreenPixel(m_hWnd, POINT{1, 1});
            bodyPixel = KitTest::ScreenPixel(m_hWnd, POINT{300, 120});
            // Esc as the keyboard would queue it: the page must stay.
            ::SetFocus(m_back);
            ::PostMessageA(m_back, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
            ::PostMessageA(m_back, WM_KEYUP, VK_ESCAPE, 0xC0010001);
            SetTimer(kEscapeCheckTimer, 150);
            return;
        }
        if (id == kEscapeCheckTimer)
        {
            KillTimer(kEscapeCheckTimer);
            openAfterEscape = IsWindowVisible();
            // Enter on the focused Back button presses it.
            ::PostMessageA(m_back, WM_KEYDOWN, VK_RETURN, 0x001C0001);
            ::PostMessageA(m_back, WM_KEYUP, VK_RETURN, 0xC01C0001);
            return;
        }
        if (id == kGiveUpTimer)
        {
            EndDialog(-2);
            return;
        }
        CBitmapDialog::OnTimer(id);
    }

    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override
    {
        if (HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) == IDC_SC_BACK)
        {
            m_spinner.Stop();
            EndDialog(IDC_SC_BACK);
            return TRUE;
        }
        return CBitmapDialog::OnCommand(wParam, lParam);
    }
    void OnCancel() override { ++cancels; }

private:
    void SetUpLabels()
    {
        m_title.SetFontName("Verdana").SetFontSize(15).SetFontBold(true).SetTextColor(RGB(255, 255, 255));
        m_title.SetTransparent(true);
        m_subtitle.SetFontName("Tahoma").SetFontSize(8).SetTextColor(RGB(0xD8, 0xE6, 0xF8)).SetTransparent(true);
        m_badge.ModifyStyle(SS_TYPEMASK, SS_CENTER | SS_CENTERIMAGE);
        m_badge.SetFontName("Tahoma").SetFontSize(8).SetFontBold(true).SetTextColor(RGB(255, 255, 255));
        m_badge.SetBkColor(RGB(0x2F, 0x9A, 0x47), RGB(0x5C, 0xC4, 0x6F), 1).SetText("7 errors found");
        m_heading.SetFontName("Verdana").SetFontSize(12).SetFontBold(true).SetTextColor(kNavy).SetTransparent(true);
        m_spinnerText.SetFontName("Tahoma").SetFontSize(8).SetTextColor(RGB(0x44, 0x44, 0x44)).SetTransparent(true);
        m_description.SetFontName("Tahoma").SetFontSize(8).SetTextColor(RGB(0x55, 0x5F, 0x6B)).SetTransparent(true);
        m_selection.SetFontName("Tahoma").SetFontSize(8).SetFontBold(true).SetTextColor(kNavy).SetTransparent(true);
        m_status.SetFontName("Tahoma").SetFontSize(8).SetTextColor(RGB(0x55, 0x5F, 0x6B)).SetTransparent(true);
        m_link.SetFontName("Tahoma").SetFontSize(8).SetFontUnderline(true).SetTextColor(RGB(0x1F, 0x5F, 0xC8));
        m_link.SetTransparent(true).SetLink(true, true);
        m_link.SetLinkCursor(::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_HAND)));
    }

    void SetUpButtons()
    {
        m_close.SetSkin(IDB_CLOSE_NORMAL, IDB_CLOSE_HOVER, IDB_CLOSE_HOVER, 0, 0, IDB_CLOSE_MASK, 0, 0, 0);
        for (CxSkinButton& nav : m_nav)
        {
            nav.SetSkin(IDB_NAV_NORMAL, IDB_NAV_SELECTED, IDB_NAV_HOVER, IDB_NAV_SELECTED, 0, 0, 1, 0, 0);
            nav.SetTextColor(kNavy);
        }
        // The page on show has its button disabled, as the main window does.
        m_nav[1].EnableWindow(false);
        m_viewRegistry.SetSkin(IDB_TAB_NORMAL, IDB_TAB_CHECKED, IDB_TAB_NORMAL, 0, 0, 0, 1, 0, 0);
        m_viewJunk.SetSkin(IDB_TAB_NORMAL, IDB_TAB_CHECKED, IDB_TAB_NORMAL, 0, 0, 0, 1, 0, 0);
        m_viewRegistry.SetTextColor(kNavy);
        m_viewJunk.SetTextColor(kNavy);
        m_viewRegistry.SendMessage(BM_SETCHECK, 1);
        m_restorePoint.SetSkin(IDB_TOGGLE_OFF, IDB_TOGGLE_ON, IDB_TOGGLE_OFF, 0, 0, 0, 0, 0, 10);
        m_restorePoint.SetTextColor(RGB(0x33, 0x33, 0x33));
        m_restorePoint.SendMessage(BM_SETCHECK, 1);
        m_repair.SetSkin(IDB_ACTION_NORMAL, IDB_ACTION_PRESSED, IDB_ACTION_HOVER, 0, 0, 0, 1, 0, 0);
        m_repair.SetTextColor(RGB(255, 255, 255));
        m_back.SetSkin(IDB_PLAIN_NORMAL, IDB_PLAIN_PRESSED, IDB_PLAIN_HOVER, 0, 0, 0, 1, 0, 0);
        m_back.SetTextColor(kNavy);
    }

    void SetUpTree()
    {
        m_tree.InitImageLists();
        m_tree.SetOwner(this);
        struct Category
        {
            const char* caption;
            const char* description;
            int image;
            const char* findings[4];
        };
        const Category categories[] = {
            {"Windows Fonts", "Missing font files can cause errors in applications.", 1,
             {"C:\\Windows\\Fonts\\quillsans.ttf", "C:\\Windows\\Fonts\\oldserifb.ttf", nullptr}},
            {"Shared DLLs", "Shared DLL entries that name files which no longer exist.", 1,
             {"C:\\Program Files\\Gone Tools\\gone.dll", nullptr}},
            {"Application Paths", "Application paths that point to missing folders.", 1,
             {"HKEY_LOCAL_MACHINE\\...\\App Paths\\oldtool.exe", "HKEY_LOCAL_MACHINE\\...\\App Paths\\viewer.exe",
              "HKEY_LOCAL_MACHINE\\...\\App Paths\\setup32.exe", nullptr}},
            {"Program Shortcuts", "Shortcuts that are no longer linked to any program.", 4,
             {"C:\\users\\Public\\Desktop\\Old Game.lnk", nullptr}},
        };
        for (const Category& category : categories)
        {
            int count = 0;
            while (category.findings[count])
                ++count;
            HTREEITEM root = m_tree.InsertCategory(std::string(category.caption) + "        [" +
                                                       std::to_string(count) + " Error(s)]",
                                                   category.description, category.image);
            for (int i = 0; i < count; ++i)
                m_tree.AddItem(0, category.caption, category.findings[i], category.image);
            m_tree.Expand(root, TVE_EXPAND);
            m_selected += count;
            m_total += count;
        }
        // The user has unticked one finding.
        HTREEITEM paths = m_tree.GetNextSiblingItem(m_tree.GetNextSiblingItem(m_tree.GetRootItem()));
        m_tree.ToggleNode(m_tree.GetChildItem(paths));
        m_tree.SelectItem(m_tree.GetNextSiblingItem(m_tree.GetChildItem(paths)));
        SetDescription(m_tree.CategoryDescriptions().at("Application Paths"));
        m_tree.SendMessage(TVM_SETITEMHEIGHT, 19);
        m_tree.EnsureVisible(m_tree.GetRootItem());
    }

    int m_selected = 0;
    int m_total = 0;
    CLabel m_title, m_subtitle, m_badge, m_spinnerText, m_heading, m_description, m_selection, m_status, m_link;
    CxSkinButton m_close, m_nav[4], m_viewRegistry, m_viewJunk, m_restorePoint, m_repair, m_back;
    CPictureEx m_spinner;
    CCheckedTreeCtrl m_tree;
    CProgressCtrl m_progress;
};

class KitShowcaseTest : public KitTest::WindowTest
{
};
}

TEST_F(KitShowcaseTest, ASkinnedPageRunsModallyAndKeepsItsKeys)
{
    m_app.SetMainWnd(nullptr);
    ShowcasePage page;
    EXPECT_EQ(IDC_SC_BACK, page.DoModal()) << "Enter pressed the focused Back button";
    EXPECT_TRUE(page.openAfterEscape) << "Esc did not close the page";
    EXPECT_EQ(0, page.cancels);
    EXPECT_FALSE(page.screenshot.empty()) << "QM_ARTIFACTS names the folder for the screenshot";
    EXPECT_NE(page.bodyPixel, page.cornerPixel) << "the rounded corner is cut out of the window";
    m_app.SetMainWnd(&m_frame);
}
