// The startup page in the test process: its list shows what the data side
// read, and only a row that became selected switches Disable and Enable.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "Client/Pages/CMonitorDlg.h"
#include "Client/Pages/StartupLocations.h"
#include "Client/res/StartupResource.h"
#include "StartupPlanting.h"

using namespace StartupPlanting;

namespace
{
class StartupPageTest : public testing::Test
{
protected:
    void SetUp() override
    {
        INITCOMMONCONTROLSEX init{sizeof(init), ICC_WIN95_CLASSES};
        ::InitCommonControlsEx(&init);
        ClearAll();
        ASSERT_TRUE(SetText(HKEY_CURRENT_USER, StartupLocations::kRunKey, "On", "C:\\on.exe"));
        ASSERT_TRUE(SetText(HKEY_CURRENT_USER, StartupLocations::kRunKey, "Off", "C:\\off.exe"));
        ASSERT_TRUE(m_frame.CreateEx(0, nullptr, "Startup page", WS_POPUP | WS_VISIBLE, RECT{0, 0, 700, 400}, NULL, 0));
        ASSERT_TRUE(m_page.Create(IDD_STARTUP_PAGE, &m_frame));
        m_page.ShowWindow(SW_SHOW);
    }
    void TearDown() override
    {
        m_page.DestroyWindow();
        m_frame.DestroyWindow();
        ClearAll();
    }

    HWND Item(int id) const { return ::GetDlgItem(m_page.GetSafeHwnd(), id); }
    bool Shows(int id) const { return (::GetWindowLongA(Item(id), GWL_STYLE) & WS_VISIBLE) != 0; }

    void NotifyChange(int row, UINT changed, UINT oldState, UINT newState)
    {
        NMLISTVIEW change = {};
        change.hdr.hwndFrom = Item(IDC_STARTUP_LIST);
        change.hdr.idFrom = IDC_STARTUP_LIST;
        change.hdr.code = LVN_ITEMCHANGED;
        change.iItem = row;
        change.uChanged = changed;
        change.uOldState = oldState;
        change.uNewState = newState;
        ::SendMessageA(m_page.GetSafeHwnd(), WM_NOTIFY, IDC_STARTUP_LIST, reinterpret_cast<LPARAM>(&change));
    }

    CWnd m_frame;
    CMonitorDlg m_page;
};
}

TEST_F(StartupPageTest, OnlyASelectedRowSwitchesTheButtons)
{
    const HWND list = Item(IDC_STARTUP_LIST);
    ASSERT_EQ(ListView_GetItemCount(list), 2);
    char text[64] = {};
    ListView_GetItemText(list, 1, 0, text, sizeof(text));
    const int off = std::string(text) == "Off" ? 1 : 0;
    ListView_SetItemState(list, off, LVIS_SELECTED, LVIS_SELECTED);
    ::SendMessageA(m_page.GetSafeHwnd(), WM_COMMAND, MAKEWPARAM(IDC_STARTUP_DISABLE, BN_CLICKED),
                   reinterpret_cast<LPARAM>(Item(IDC_STARTUP_DISABLE)));
    ASSERT_EQ(ListView_GetItemCount(list), 2);
    ListView_GetItemText(list, 1, 3, text, sizeof(text));
    EXPECT_STREQ(text, "Disabled") << "registry values first, then the records";
    EXPECT_TRUE(Shows(IDC_STARTUP_DISABLE));
    EXPECT_FALSE(Shows(IDC_STARTUP_ENABLE));

    // Focus alone, and a row that lost its selection, change nothing.
    NotifyChange(1, LVIF_STATE, 0, LVIS_FOCUSED);
    NotifyChange(1, LVIF_STATE, LVIS_SELECTED, 0);
    NotifyChange(1, LVIF_TEXT, 0, LVIS_SELECTED);
    EXPECT_TRUE(Shows(IDC_STARTUP_DISABLE));

    NotifyChange(1, LVIF_STATE, LVIS_FOCUSED, LVIS_FOCUSED | LVIS_SELECTED);
    EXPECT_FALSE(Shows(IDC_STARTUP_DISABLE));
    EXPECT_TRUE(Shows(IDC_STARTUP_ENABLE));
    // Rows the records do not have are passed over.
    for (int row : {2, -1, 100000})
        NotifyChange(row, LVIF_STATE, 0, LVIS_SELECTED);
    NotifyChange(0, LVIF_STATE, LVIS_SELECTED, 0);
    EXPECT_FALSE(Shows(IDC_STARTUP_DISABLE));
    EXPECT_TRUE(Shows(IDC_STARTUP_ENABLE));

    NotifyChange(0, LVIF_STATE, 0, LVIS_SELECTED);
    EXPECT_TRUE(Shows(IDC_STARTUP_DISABLE));
    EXPECT_FALSE(Shows(IDC_STARTUP_ENABLE));
}
