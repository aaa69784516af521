// The item list: column presets, its image list, and WM_LISTCHECK when a
// row's check icon is clicked.
#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "Client/Controls/CItemListCtrl.h"
#include "Client/Controls/KitTestSupport.h"

namespace
{
class CheckListener : public CWnd
{
public:
    std::vector<WPARAM> checks;
    int clicksSeen = 0;

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_LISTCHECK)
        {
            checks.push_back(wParam);
            return 0;
        }
        return CWnd::WindowProc(message, wParam, lParam);
    }

protected:
    BOOL OnNotify(WPARAM, LPARAM lParam, LRESULT*) override
    {
        if (reinterpret_cast<const NMHDR*>(lParam)->code == static_cast<UINT>(NM_CLICK))
            ++clicksSeen;
        return FALSE;
    }
};

class ItemListTest : public KitTest::WindowTest
{
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        ASSERT_TRUE(m_page.CreateEx(0, nullptr, "", WS_CHILD | WS_VISIBLE, RECT{0, 0, 560, 400}, m_frame, 5));
        ASSERT_TRUE(m_list.Create(WS_VISIBLE | LVS_REPORT | LVS_SHOWSELALWAYS, RECT{10, 10, 540, 300}, m_page, 77));
        m_list.SetExtendedStyle(LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
        m_list.InitImageLists();
        m_list.InsertBackupColumns();
        m_list.SetNotifyWindow(m_page);
        for (int i = 0; i < 3; ++i)
        {
            m_list.InsertItem(i, "Backup " + std::to_string(i), 5);
            m_list.SetItemText(i, 1, "2024-01-0" + std::to_string(i + 1));
            m_list.SetItemData(i, i == 2 ? -1 : 100 + i);
        }
    }
    // Where a row's check icon stands, found by hit tests along the row.
    POINT StateIconOf(int row)
    {
        RECT bounds{};
        bounds.left = LVIR_BOUNDS;
        m_list.SendMessage(LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&bounds));
        for (int x = bounds.left; x < bounds.left + 60; ++x)
        {
            UINT flags = 0;
            POINT at{x, (bounds.top + bounds.bottom) / 2};
            if (m_list.HitTest(at, &flags) == row && (flags & LVHT_ONITEMSTATEICON))
                return POINT{x + 3, at.y};
        }
        ADD_FAILURE() << "no check icon in row " << row;
        return POINT{0, 0};
    }
    // The notification a click sends the list's parent.
    void ClickNotify(POINT at)
    {
        NMITEMACTIVATE click{};
        click.hdr = NMHDR{m_list, 77, static_cast<UINT>(NM_CLICK)};
        click.ptAction = at;
        EXPECT_EQ(0, ::SendMessageA(m_page, WM_NOTIFY, 77, reinterpret_cast<LPARAM>(&click)));
    }

    CheckListener m_page;
    CItemListCtrl m_list;
};
}

TEST_F(ItemListTest, ColumnPresets)
{
    auto columnText = [](CListCtrl& list, int index) {
        char text[64] = "";
        LVCOLUMNA column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.pszText = text;
        column.cchTextMax = sizeof(text);
        list.SendMessage(LVM_GETCOLUMNA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&column));
        return std::string(text) + "/" + std::to_string(column.cx);
    };
    EXPECT_EQ("Backup/250", columnText(m_list, 0));
    EXPECT_EQ("Date of Backup/224", columnText(m_list, 1));

    CItemListCtrl ignore, startup;
    ASSERT_TRUE(ignore.Create(LVS_REPORT, RECT{0, 0, 100, 100}, m_page, 78));
    ignore.InsertIgnoreListColumns();
    EXPECT_EQ("Registry Key/300", columnText(ignore, 0));
    EXPECT_EQ("Category/135", columnText(ignore, 1));
    ASSERT_TRUE(startup.Create(LVS_REPORT, RECT{0, 0, 100, 100}, m_page, 79));
    startup.InsertStartupColumns("Program Name", "File Path", "Location", "Status");
    EXPECT_EQ("Program Name/110", columnText(startup, 0));
    EXPECT_EQ("File Path/237", columnText(startup, 1));
    EXPECT_EQ("Location/55", columnText(startup, 2));
    EXPECT_EQ("Status/55", columnText(startup, 3));
}

TEST_F(ItemListTest, TheImageListIsSharedNotGivenAway)
{
    EXPECT_TRUE(m_list.GetStyle() & LVS_SHAREIMAGELISTS);
    HIMAGELIST small = reinterpret_cast<HIMAGELIST>(m_list.SendMessage(LVM_GETIMAGELIST, LVSIL_SMALL));
    ASSERT_NE(nullptr, small);
    EXPECT_EQ(6, ImageList_GetImageCount(small));
    int width = 0, height = 0;
    ImageList_GetIconSize(small, &width, &height);
    EXPECT_EQ(18, width);
}

TEST_F(ItemListTest, AClickOnACheckIconSendsTheRowsData)
{
    ClickNotify(StateIconOf(1));
    ASSERT_EQ(1u, m_page.checks.size());
    EXPECT_EQ(101u, m_page.checks[0]);
    EXPECT_EQ(0, m_page.clicksSeen) << "the list answers the click itself";
}

TEST_F(ItemListTest, ARealClickOnTheIconReachesTheNotifyWindow)
{
    KitTest::Click(m_list, StateIconOf(0));
    ASSERT_EQ(1u, m_page.checks.size());
    EXPECT_EQ(100u, m_page.checks[0]);
}

TEST_F(ItemListTest, ClicksBesideTheIconOrOnNegativeRowsSendNothing)
{
    RECT label{};
    label.left = LVIR_LABEL;
    m_list.SendMessage(LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&label));
    ClickNotify(POINT{label.left + 10, (label.top + label.bottom) / 2});
    ClickNotify(StateIconOf(2));
    ClickNotify(POINT{500, 280});
    EXPECT_TRUE(m_page.checks.empty());

    m_list.SetNotifyWindow(NULL);
    ClickNotify(StateIconOf(1));
    EXPECT_TRUE(m_page.checks.empty());
}

TEST_F(ItemListTest, AHeaderClickMovesNoRow)
{
    HWND header = reinterpret_cast<HWND>(m_list.SendMessage(LVM_GETHEADER));
    ASSERT_NE(nullptr, header);
    m_list.SetItemText(0, 0, "Zulu");
    m_list.SetItemText(2, 0, "Alpha");
    for (UINT code : {static_cast<UINT>(HDN_ITEMCLICKA), static_cast<UINT>(HDN_ITEMCLICKW)})
    {
        NMHEADERA click{};
        click.hdr = NMHDR{header, 0, code};
        click.iItem = 0;
        EXPECT_EQ(0, ::SendMessageA(m_list, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&click)));
    }
    KitTest::Click(header, POINT{20, 8});
    EXPECT_EQ("Zulu", m_list.GetItemText(0, 0));
    EXPECT_EQ("Alpha", m_list.GetItemText(2, 0));
}
