// The check-box tree of findings: category states, counts, the selection
// label, descriptions and the exclusion of unticked findings.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Client/Controls/CCheckedTreeCtrl.h"
#include "Client/Controls/CLabel.h"
#include "Client/Controls/CheckedTreeOwner.h"
#include "Client/Scan/CAbstractScanItemsInfo.h"
#include "Client/Scan/CScanItemsInfo.h"
#include "Framework/CStatic.h"
#include "Client/Controls/KitTestSupport.h"
#include "support/FakeScanItems.h"

namespace
{
class Owner : public CheckedTreeOwner
{
public:
    int selected = 0;
    int total = 0;
    CLabel label;
    std::vector<std::string> descriptions;

    int& SelectedCount() override { return selected; }
    int& TotalCount() override { return total; }
    CLabel* SelectionLabel() override { return label.GetSafeHwnd() ? &label : nullptr; }
    void SetDescription(const std::string& description) override { descriptions.push_back(description); }
};

class CheckedTreeTest : public KitTest::WindowTest
{
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        ASSERT_TRUE(m_labelWindow.Create("", WS_VISIBLE, RECT{10, 320, 400, 340}, m_frame, 55));
        ASSERT_TRUE(m_owner.label.SubclassWindow(m_labelWindow.UnsubclassWindow()));
        ASSERT_TRUE(m_tree.Create(WS_VISIBLE | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS,
                                  RECT{10, 10, 500, 300}, m_frame, 66));
        m_tree.InitImageLists();
        m_tree.SetOwner(&m_owner);
        m_tree.SetResultsStore(&m_store);
    }
    // A category of n findings, filled as the results page does.
    HTREEITEM Category(const std::string& caption, int n, const std::string& description = "about")
    {
        HTREEITEM root = m_tree.InsertCategory(caption + "        [" + std::to_string(n) + "]", description, 1);
        for (int i = 0; i < n; ++i)
            m_tree.AddItem(0, caption, "HKEY_LOCAL_MACHINE\\Software\\" + caption + "\\" + std::to_string(i), 1);
        m_owner.selected += n;
        m_owner.total += n;
        return root;
    }
    HTREEITEM Leaf(HTREEITEM root, int index)
    {
        HTREEITEM leaf = m_tree.GetChildItem(root);
        for (int i = 0; i < index; ++i)
            leaf = m_tree.GetNextSiblingItem(leaf);
        return leaf;
    }
    // A click on the node's check box.
    void ClickBox(HTREEITEM item)
    {
        RECT text{};
        if (!m_tree.GetItemRect(item, &text, true))
            m_tree.EnsureVisible(item);
        m_tree.SendMessage(WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 0));
        ASSERT_TRUE(m_tree.GetItemRect(item, &text, true));
        // The box stands left of the item's image, which stands left of its text.
        POINT box{text.left, (text.top + text.bottom) / 2};
        UINT flags = 0;
        while (box.x > 0 && !(m_tree.HitTest(box, &flags) == item && (flags & TVHT_ONITEMSTATEICON)))
            --box.x;
        ASSERT_GT(box.x, 0) << "no check box found left of the text " << text.left << "," << text.top << " "
                            << text.right << "," << text.bottom;
        box.x -= 3;  // into the box, not on its edge
        ASSERT_EQ(item, m_tree.HitTest(box, &flags));
        ASSERT_TRUE(flags & TVHT_ONITEMSTATEICON);
        KitTest::Click(m_tree, box);
    }
    int State(HTREEITEM item) { return m_tree.GetCheckState(item); }

    CStatic m_labelWindow;
    Owner m_owner;
    FakeScanItems m_store;
    CCheckedTreeCtrl m_tree;
};
}

TEST_F(CheckedTreeTest, NodesStartTickedAndCategoriesCountTheirFindings)
{
    HTREEITEM fonts = Category("Windows Fonts", 3, "Fonts that are gone");
    EXPECT_EQ(CCheckedTreeCtrl::kTicked, State(fonts));
    EXPECT_EQ(CCheckedTreeCtrl::kTicked, State(Leaf(fonts, 2)));
    EXPECT_EQ(3u, m_tree.GetItemData(fonts));
    EXPECT_EQ(3, m_tree.CategoryCounts().at("Windows Fonts"));
    EXPECT_EQ("Fonts that are gone", m_tree.CategoryDescriptions().at("Windows Fonts"));
    EXPECT_EQ(3, m_tree.GetItemsAdded());
    EXPECT_EQ(nullptr, m_tree.AddItem(0, "No Such Category", "x", 1));
    EXPECT_EQ(3, m_tree.GetItemsAdded());
}

TEST_F(CheckedTreeTest, ACategoryOfOneNeverShowsPartlyTicked)
{
    HTREEITEM only = Category("Shared DLLs", 1);
    ClickBox(Leaf(only, 0));
    EXPECT_EQ(CCheckedTreeCtrl::kUnticked, State(Leaf(only, 0)));
    EXPECT_EQ(CCheckedTreeCtrl::kUnticked, State(only));
    ClickBox(Leaf(only, 0));
    EXPECT_EQ(CCheckedTreeCtrl::kTicked, State(only));
    EXPECT_EQ(1, m_owner.selected);
}

TEST_F(CheckedTreeTest, ACategoryOfThreeGoesPartlyThenUntickedThenTickedAgain)
{
    HTREEITEM fonts = Category("Windows Fonts", 3);
    ClickBox(Leaf(fonts, 0));
    EXPECT_EQ(CCheckedTreeCtrl::kPartlyTicked, State(fonts));
    EXPECT_EQ(2, m_owner.selected);
    EXPECT_EQ("2 of 3 error(s) selected for repair", m_owner.label.GetWindowText());
    ClickBox(Leaf(fonts, 1));
    ClickBox(Leaf(fonts, 2));
    EXPECT_EQ(CCheckedTreeCtrl::kUnticked, State(fonts));
    EXPECT_EQ(0, m_owner.selected);
    for (int i = 0; i < 3; ++i)
        ClickBox(Leaf(fonts, i));
    EXPECT_EQ(CCheckedTreeCtrl::kTicked, State(fonts));
    EXPECT_EQ(3u, m_tree.GetItemData(fonts));
    EXPECT_EQ("3 of 3 error(s) selected for repair", m_owner.label.GetWindowText());
}

TEST_F(CheckedTreeTest, TickingAPartlyTickedCategoryAddsOnlyItsUntickedFindings)
{
    HTREEITEM fonts = Category("Windows Fonts", 3);
    Category("Windows Services", 2);
    ClickBox(Leaf(fonts, 1));
    EXPECT_EQ(4, m_owner.selected);
    ClickBox(fonts);
    EXPECT_EQ(CCheckedTreeCtrl::kTicked, State(fonts));
    EXPECT_EQ(5, m_owner.selected);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(CCheckedTreeCtrl::kTicked, State(Leaf(fonts, i)));
    ClickBox(fonts);
    EXPECT_EQ(CCheckedTreeCtrl::kUnticked, State(fonts));
    EXPECT_EQ(2, m_owner.selected);
    EXPECT_EQ(CCheckedTreeCtrl::kUnticked, State(Leaf(fonts, 2)));
}

TEST_F(CheckedTreeTest, SpaceTogglesTheSelectedNodeOnTheFirstTwoLevelsOnly)
{
    HTREEITEM fonts = Category("Windows Fonts", 2, "Font description");
    HTREEITEM leaf = Leaf(fonts, 0);
    HTREEITEM deeper = m_tree.InsertItem("third level", 1, 1, leaf);
    m_tree.SetCheckState(deeper, CCheckedTreeCtrl::kTicked);

    m_tree.SelectItem(leaf);
    ::SendMessageA(m_tree, WM_KEYDOWN, VK_SPACE, 0);
    EXPECT_EQ(CCheckedTreeCtrl::kUnticked, State(leaf));
    EXPECT_EQ(CCheckedTreeCtrl::kPartlyTicked, State(fonts));

    m_owner.descriptions.clear();
    m_tree.SelectItem(deeper);
    ::SendMessageA(m_tree, WM_KEYDOWN, VK_SPACE, 0);
    EXPECT_EQ(CCheckedTreeCtrl::kTicked, State(deeper)) << "no toggle on the third level";
    ASSERT_FALSE(m_owner.descriptions.empty()) << "the description is still looked up";
    EXPECT_EQ("Font description", m_owner.descriptions.back());
}

TEST_F(CheckedTreeTest, AllTickedHandsNothingToTheStore)
{
    HTREEITEM fonts = Category("Windows Fonts", 2);
    m_tree.ExcludeUncheckedItems(fonts);
    EXPECT_TRUE(m_store.excludedMarks.empty());
    EXPECT_EQ(0, m_tree.GetExcludedCount());
}

TEST_F(CheckedTreeTest, UntickedFindingsAreExcludedWithTheirWholeText)
{
    HTREEITEM paths = m_tree.InsertCategory("Application Paths        [2]", "", 1);
    const std::string longText = "HKEY_LOCAL_MACHINE\\Software\\" + std::string(300, 'k') + "\\Path";
    HTREEITEM longLeaf = m_tree.AddItem(0, "Application Paths", longText, 1);
    m_tree.AddItem(0, "Application Paths", "C:\\short.exe", 1);
    EXPECT_EQ(CCheckedTreeCtrl::kMaxShownText, m_tree.GetItemText(longLeaf).size()) << "the node shows the start";
    EXPECT_EQ(longText, m_tree.GetFullText(longLeaf));

    ClickBox(longLeaf);
    m_tree.ExcludeUncheckedItems(paths);
    ASSERT_EQ(1u, m_store.excludedMarks.size());
    EXPECT_EQ(longText + "^Application Paths", m_store.excludedMarks[0]);
    EXPECT_EQ(1, m_tree.GetExcludedCount());
}

TEST_F(CheckedTreeTest, AnUntickedLongFindingIsLeftOutOfTheRepairByTheResultsStore)
{
    const DWORD category = 0x40000;
    const std::string longText = "HKEY_CLASSES_ROOT\\CLSID\\" + std::string(280, 'c') + "\\InprocServer32";
    CScanItemsInfo store;
    store.AddFoundItem(longText.c_str(), category, 0, 0);
    store.AddFoundItem("C:\\kept.exe", category, 0, 0);
    m_tree.SetResultsStore(&store);
    HTREEITEM root = m_tree.InsertCategory("Application Paths        [2]", "", 1);
    std::vector<const char*> texts;
    store.GetItems(&texts, category);
    for (const char* text : texts)
        m_tree.AddItem(0, "Application Paths", text, 1);
    ClickBox(Leaf(root, 0));
    m_tree.ExcludeUncheckedItems(root);

    // The repair job's walk over the store.
    std::vector<std::string> repaired;
    for (int more = store.MoveFirst(); more; more = store.MoveNext())
        if (!store.IsCurrentItemExcluded())
            repaired.push_back(store.GetCurrentText());
    ASSERT_EQ(1u, repaired.size());
    EXPECT_EQ("C:\\kept.exe", repaired[0]);
}

TEST_F(CheckedTreeTest, DeletingAFindingSetsItsCategoryFromTheFindingsLeft)
{
    HTREEITEM fonts = Category("Windows Fonts", 3);
    ClickBox(Leaf(fonts, 0));
    ASSERT_EQ(CCheckedTreeCtrl::kPartlyTicked, State(fonts));
    // The unticked finding is ignored: the rest are all ticked.
    EXPECT_EQ(fonts, m_tree.DeleteFinding(Leaf(fonts, 0)));
    EXPECT_EQ(CCheckedTreeCtrl::kTicked, State(fonts));
    EXPECT_EQ(2u, m_tree.GetItemData(fonts));
    EXPECT_EQ(2, m_tree.CategoryCounts().at("Windows Fonts"));
    EXPECT_EQ(2, m_tree.GetItemsAdded());
    // And toggling goes on from there.
    ClickBox(Leaf(fonts, 0));
    EXPECT_EQ(CCheckedTreeCtrl::kPartlyTicked, State(fonts));
    ClickBox(Leaf(fonts, 1));
    EXPECT_EQ(CCheckedTreeCtrl::kUnticked, State(fonts));
    m_tree.DeleteFinding(Leaf(fonts, 1));
    EXPECT_EQ(CCheckedTreeCtrl::kUnticked, State(fonts));
}

TEST_F(CheckedTreeTest, SelectionLabelCountsDownAlsoTheTotal)
{
    m_owner.selected = 10;
    m_owner.total = 12;
    m_tree.UpdateSelectionLabel(false, 5, true);
    EXPECT_EQ(5, m_owner.selected);
    EXPECT_EQ(11, m_owner.total);
    EXPECT_EQ("5 of 11 error(s) selected for repair", m_owner.label.GetWindowText());
}

TEST_F(CheckedTreeTest, ADoubleClickStaysInsideTheTree)
{
    class Listener : public CWnd
    {
    public:
        int doubleClicks = 0;

    protected:
        BOOL OnNotify(WPARAM, LPARAM lParam, LRESULT*) override
        {
            if (reinterpret_cast<const NMHDR*>(lParam)->code == static_cast<UINT>(NM_DBLCLK))
                ++doubleClicks;
            return FALSE;
        }
    } page;
    ASSERT_TRUE(page.CreateEx(0, nullptr, "", WS_CHILD | WS_VISIBLE, RECT{0, 0, 300, 200}, m_frame, 5));
    CCheckedTreeCtrl tree;
    ASSERT_TRUE(tree.Create(WS_VISIBLE, RECT{0, 0, 200, 100}, page, 66));
    NMHDR note{tree, 66, static_cast<UINT>(NM_DBLCLK)};
    EXPECT_EQ(0, ::SendMessageA(page, WM_NOTIFY, 66, reinterpret_cast<LPARAM>(&note)));
    EXPECT_EQ(0, page.doubleClicks) << "answered by the tree";
    NMHDR other{tree, 66, static_cast<UINT>(NM_RCLICK)};
    ::SendMessageA(page, WM_NOTIFY, 66, reinterpret_cast<LPARAM>(&other));
    NMHDR again{tree, 66, static_cast<UINT>(NM_DBLCLK)};
    tree.UnsubclassWindow();
    ::SendMessageA(page, WM_NOTIFY, 66, reinterpret_cast<LPARAM>(&again));
    EXPECT_EQ(1, page.doubleClicks) << "without the tree's object the page hears it";
}

TEST_F(CheckedTreeTest, ResetForgetsEverything)
{
    Category("Windows Fonts", 2);
    m_tree.ResetContents();
    EXPECT_EQ(0u, m_tree.GetCount());
    EXPECT_TRUE(m_tree.CategoryCounts().empty());
    EXPECT_TRUE(m_tree.CategoryDescriptions().empty());
    EXPECT_EQ(0, m_tree.GetItemsAdded());
    EXPECT_EQ(0, m_tree.GetExcludedCount());
}

TEST_F(CheckedTreeTest, TenThousandFindingsKeepTheirBoxesAndCounts)
{
    const int kFonts = 6000, kDlls = 4000;
    HTREEITEM fonts = m_tree.InsertCategory("Windows Fonts        [6000]", "fonts", 1);
    HTREEITEM dlls = m_tree.InsertCategory("Shared DLLs        [4000]", "dlls", 1);
    std::vector<std::string> fontTexts, dllTexts;
    for (int i = 0; i < kFonts; ++i)
        fontTexts.push_back("C:\\Windows\\Fonts\\gone" + std::to_string(i) + ".ttf" +
                            (i % 1000 == 0 ? std::string(300, 'f') : std::string()));
    for (int i = 0; i < kDlls - 1; ++i)
        dllTexts.push_back("C:\\Program Files\\gone\\library" + std::to_string(i) + ".dll");
    m_tree.SetRedraw(false);
    EXPECT_EQ(kFonts, m_tree.AddItems(0, "Windows Fonts", fontTexts, 1));
    EXPECT_EQ(kDlls - 1, m_tree.AddItems(0, "Shared DLLs", dllTexts, 1));
    EXPECT_NE(nullptr, m_tree.AddItem(7, "Shared DLLs", "C:\\last.dll", 1)) << "one by one after the many";
    EXPECT_EQ(0, m_tree.AddItems(0, "No Such Category", dllTexts, 1));
    m_tree.SetRedraw(true);
    m_owner.selected = m_owner.total = kFonts + kDlls;

    EXPECT_EQ(kFonts + kDlls, m_tree.GetItemsAdded());
    EXPECT_EQ(kFonts, m_tree.CategoryCounts().at("Windows Fonts"));
    EXPECT_EQ(kDlls, m_tree.CategoryCounts().at("Shared DLLs"));
    EXPECT_EQ(static_cast<DWORD_PTR>(kFonts), m_tree.GetItemData(fonts)) << "ticked findings of the category";
    EXPECT_EQ(static_cast<DWORD_PTR>(kDlls), m_tree.GetItemData(dlls));
    EXPECT_EQ(kFonts, m_tree.CountCheckedChildren(fonts)) << "every finding starts ticked";
    EXPECT_EQ(kDlls, m_tree.CountCheckedChildren(dlls));
    EXPECT_EQ(static_cast<UINT>(2 + kFonts + kDlls), m_tree.GetCount());
    EXPECT_EQ(fontTexts[3000], m_tree.GetFullText(Leaf(fonts, 3000))) << "the whole text, in order";
    EXPECT_EQ(7u, m_tree.GetItemData(Leaf(dlls, kDlls - 1)));

    // The boxes still work as one by one: one finding out, then the whole
    // category, then all back in.
    m_tree.ToggleNode(Leaf(fonts, 4321));
    EXPECT_EQ(CCheckedTreeCtrl::kPartlyTicked, State(fonts));
    EXPECT_EQ(kFonts + kDlls - 1, m_owner.selected);
    m_tree.ToggleNode(dlls);
    EXPECT_EQ(CCheckedTreeCtrl::kUnticked, State(Leaf(dlls, 2500)));
    EXPECT_EQ(kFonts - 1, m_owner.selected);
    m_tree.ExcludeUncheckedItems(fonts);
    m_tree.ExcludeUncheckedItems(dlls);
    EXPECT_EQ(1 + kDlls, m_tree.GetExcludedCount());
    ASSERT_EQ(static_cast<size_t>(1 + kDlls), m_store.excludedMarks.size());
    EXPECT_EQ(fontTexts[4321] + "^Windows Fonts", m_store.excludedMarks[0]);
    m_tree.ToggleNode(fonts);
    EXPECT_EQ(CCheckedTreeCtrl::kTicked, State(fonts));
    EXPECT_EQ(kFonts, m_owner.selected);
}

TEST_F(CheckedTreeTest, FindingsGoUnderTheLastCategoryOfTheirCaptionAlsoAfterOneIsDeleted)
{
    HTREEITEM first = m_tree.InsertCategory("Windows Fonts        [1]", "", 1);
    HTREEITEM second = m_tree.InsertCategory("Windows Fonts        [1]", "", 1);
    HTREEITEM leaf = m_tree.AddItem(0, "Windows Fonts", "C:\\a.ttf", 1);
    EXPECT_EQ(second, m_tree.GetParentItem(leaf));
    m_tree.DeleteItem(second);
    leaf = m_tree.AddItem(0, "Windows Fonts", "C:\\b.ttf", 1);
    EXPECT_EQ(first, m_tree.GetParentItem(leaf)) << "the one left";
    m_tree.DeleteItem(first);
    EXPECT_EQ(nullptr, m_tree.AddItem(0, "Windows Fonts", "C:\\c.ttf", 1));
    EXPECT_EQ(0, m_tree.AddItems(0, "Windows Fonts", {"C:\\d.ttf"}, 1));
    HTREEITEM again = m_tree.InsertCategory("Windows Fonts        [1]", "", 1);
    leaf = m_tree.AddItem(0, "Windows Fonts", "C:\\e.ttf", 1);
    EXPECT_EQ(again, m_tree.GetParentItem(leaf));
    EXPECT_EQ(CCheckedTreeCtrl::kTicked, State(leaf));
    m_tree.ResetContents();
    EXPECT_EQ(nullptr, m_tree.AddItem(0, "Windows Fonts", "C:\\f.ttf", 1)) << "a reset forgets the categories";
}
