#include "Client/Controls/CCheckedTreeCtrl.h"

#include "Client/Controls/CLabel.h"
#include "Client/Controls/CheckedTreeOwner.h"
#include "Client/Scan/CAbstractScanItemsInfo.h"
#include "Framework/AnsiText.h"

namespace
{
constexpr UINT kItemImagesBitmap = 225;
constexpr UINT kCheckImagesBitmap = 210;
constexpr int kItemImageWidth = 18;
constexpr int kCheckImageWidth = 13;
constexpr COLORREF kImageMask = RGB(255, 255, 255);

std::string Shown(const std::string& text)
{
    return text.substr(0, CCheckedTreeCtrl::kMaxShownText);
}
}

CCheckedTreeCtrl::CCheckedTreeCtrl() = default;
CCheckedTreeCtrl::~CCheckedTreeCtrl() = default;

std::string CCheckedTreeCtrl::CaptionOf(const std::string& text)
{
    return AnsiText::Trimmed(text.substr(0, text.find('[')));
}

std::string CCheckedTreeCtrl::LookupCaptionOf(const std::string& text)
{
    const size_t bracket = text.find('[');
    if (bracket == std::string::npos)
        return std::string();
    return AnsiText::Trimmed(text.substr(0, bracket));
}

int CCheckedTreeCtrl::CategoryCount(const std::string& caption) const
{
    const auto found = m_categoryCounts.find(caption);
    return found == m_categoryCounts.end() ? 0 : found->second;
}

void CCheckedTreeCtrl::InitImageLists()
{
    m_normalImages.CreateFromBitmap(kItemImagesBitmap, kItemImageWidth, 5, kImageMask);
    m_stateImages.CreateFromBitmap(kCheckImagesBitmap, kCheckImageWidth, 2, kImageMask);
    SetImageList(m_normalImages, TVSIL_NORMAL);
    SetImageList(m_stateImages, TVSIL_STATE);
}

HTREEITEM CCheckedTreeCtrl::InsertCategory(std::string text, const std::string& description, int image)
{
    HTREEITEM node =
        InsertItem(Shown(text), image, image, INDEXTOSTATEIMAGEMASK(kTicked), TVIS_STATEIMAGEMASK, 0, TVI_ROOT);
    if (!node)
        return nullptr;
    m_fullTexts[node] = text;
    const std::string caption = CaptionOf(text);
    m_categoryNodes[caption] = node;
    m_categoryCounts.emplace(caption, 0);
    m_categoryDescriptions.emplace(caption, description);
    return node;
}

HTREEITEM CCheckedTreeCtrl::FindCategoryNode(const std::string& caption) const
{
    const auto known = m_categoryNodes.find(caption);
    if (known != m_categoryNodes.end())
        return known->second;
    // A top-level node that did not come from InsertCategory.
    HTREEITEM parent = nullptr;
    for (HTREEITEM root = GetRootItem(); root; root = GetNextSiblingItem(root))
    {
        if (CaptionOf(GetFullText(root)) == caption)
            parent = root;
    }
    return parent;
}

HTREEITEM CCheckedTreeCtrl::InsertFinding(HTREEITEM parent, DWORD_PTR itemData, const std::string& text, int image)
{
    HTREEITEM leaf =
        InsertItem(Shown(text), image, image, INDEXTOSTATEIMAGEMASK(kTicked), TVIS_STATEIMAGEMASK, itemData, parent);
    if (leaf)
        m_fullTexts[leaf] = text;
    return leaf;
}

void CCheckedTreeCtrl::CountFinding(HTREEITEM parent)
{
    const auto count = m_categoryCounts.find(CaptionOf(GetFullText(parent)));
    if (count != m_categoryCounts.end())
    {
        ++count->second;
        ++m_itemsAdded;
    }
}

HTREEITEM CCheckedTreeCtrl::AddItem(DWORD_PTR itemData, const std::string& categoryCaption, const std::string& text,
                                    int image)
{
    HTREEITEM parent = FindCategoryNode(categoryCaption);
    HTREEITEM leaf = parent ? InsertFinding(parent, itemData, text, image) : nullptr;
    if (!leaf)
        return nullptr;
    CountFinding(parent);
    SetItemData(parent, GetItemData(parent) + 1);
    return leaf;
}

int CCheckedTreeCtrl::AddItems(DWORD_PTR itemData, const std::string& categoryCaption,
                               const std::vector<std::string>& texts, int image)
{
    HTREEITEM parent = FindCategoryNode(categoryCaption);
    if (!parent)
        return 0;
    int added = 0;
    for (const std::string& text : texts)
        if (InsertFinding(parent, itemData, text, image))
            ++added;
    if (!added)
        return 0;
    const auto count = m_categoryCounts.find(categoryCaption);
    if (count != m_categoryCounts.end())
    {
        count->second += added;
        m_itemsAdded += added;
    }
    SetItemData(parent, GetItemData(parent) + static_cast<DWORD_PTR>(added));
    return added;
}

void CCheckedTreeCtrl::UpdateSelectionLabel(bool add, int count, bool alsoTotal)
{
    if (!m_owner)
        return;
    int& selected = m_owner->SelectedCount();
    int& total = m_owner->TotalCount();
    if (add)
        selected += count;
    else
    {
        selected -= count;
        if (alsoTotal)
            total -= 1;
    }
    if (CLabel* label = m_owner->SelectionLabel())
        label->SetText(AnsiText::Format("%d", selected) + " of " + AnsiText::Format("%d", total) +
                       " error(s) selected for repair");
}

int CCheckedTreeCtrl::CountCheckedChildren(HTREEITEM node) const
{
    int ticked = 0;
    for (HTREEITEM child = GetChildItem(node); child; child = GetNextSiblingItem(child))
    {
        if (GetCheckState(child) == kTicked)
            ++ticked;
    }
    return ticked;
}

void CCheckedTreeCtrl::SetChildrenState(int state, HTREEITEM node)
{
    const int own = GetCheckState(node);
    if (own != kTicked && own != kUnticked)
        return;
    for (HTREEITEM child = GetChildItem(node); child; child = GetNextSiblingItem(child))
        SetCheckState(child, state);
}

void CCheckedTreeCtrl::ToggleNode(HTREEITEM node)
{
    if (!node)
        return;
    const int old = GetCheckState(node);
    const int now = old == kTicked ? kUnticked : kTicked;
    SetCheckState(node, now);

    HTREEITEM parent = GetParentItem(node);
    if (parent)
    {
        const int total = CategoryCount(LookupCaptionOf(GetFullText(parent)));
        DWORD_PTR ticked = GetItemData(parent);
        if (old == kTicked)
        {
            SetItemData(parent, --ticked);
            UpdateSelectionLabel(false, 1, false);
        }
        else if (old == kUnticked)
        {
            SetItemData(parent, ++ticked);
            UpdateSelectionLabel(true, 1, false);
        }
        const int c = static_cast<int>(ticked);
        if (c == 0 && total != 1)
            SetCheckState(parent, kUnticked);
        else if (total == 1)
            SetCheckState(parent, old == kTicked ? kUnticked : kTicked);
        else if (c != total)
            SetCheckState(parent, kPartlyTicked);
        else
        {
            SetCheckState(parent, kTicked);
            SetItemData(parent, static_cast<DWORD_PTR>(total));
        }
        return;
    }
    if (!ItemHasChildren(node))
        return;
    const int total = CategoryCount(LookupCaptionOf(GetFullText(node)));
    if (total != 0)
        SetItemData(node, static_cast<DWORD_PTR>(total));
    if (now == kUnticked)
    {
        SetItemData(node, 0);
        UpdateSelectionLabel(false, CountCheckedChildren(node), false);
    }
    else
        UpdateSelectionLabel(true, total - CountCheckedChildren(node), false);
    SetChildrenState(now, node);
}

int CCheckedTreeCtrl::NodeLevel(HTREEITEM item) const
{
    int level = 0;
    for (HTREEITEM at = item; at; at = GetParentItem(at))
        ++level;
    return level;
}

void CCheckedTreeCtrl::ShowDescriptionOfSelection()
{
    if (!m_owner)
        return;
    HTREEITEM at = GetSelectedItem();
    for (int lookups = 0; at && lookups < 4; ++lookups, at = GetParentItem(at))
    {
        const auto found = m_categoryDescriptions.find(LookupCaptionOf(GetFullText(at)));
        if (found != m_categoryDescriptions.end())
        {
            m_owner->SetDescription(found->second);
            return;
        }
    }
}

void CCheckedTreeCtrl::OnKeyDown(UINT key, UINT repeat, UINT flags)
{
    if (key == VK_SPACE)
    {
        HTREEITEM selected = GetSelectedItem();
        const int level = NodeLevel(selected);
        if (selected && (level == 1 || level == 2))
            ToggleNode(selected);
    }
    CTreeCtrl::OnKeyDown(key, repeat, flags);
    ShowDescriptionOfSelection();
}

void CCheckedTreeCtrl::OnLButtonDown(UINT flags, POINT point)
{
    UINT hitFlags = 0;
    HTREEITEM hit = HitTest(point, &hitFlags);
    if (hit && (hitFlags & TVHT_ONITEMSTATEICON))
        ToggleNode(hit);
    CTreeCtrl::OnLButtonDown(flags, point);
    ShowDescriptionOfSelection();
}

bool CCheckedTreeCtrl::OnChildNotify(UINT message, WPARAM, LPARAM lParam, LRESULT* result)
{
    if (message != WM_NOTIFY)
        return false;
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    if (header->code == NM_DBLCLK)
    {
        // Answered here, so the tree expands or collapses and the page never
        // sees the double click.
        *result = 0;
        return true;
    }
    if (header->code == TVN_DELETEITEMA || header->code == TVN_DELETEITEMW)
    {
        // Whoever deletes a node, its full text goes with it; the page still
        // hears of the deletion.
        ForgetNode(reinterpret_cast<const NMTREEVIEWA*>(lParam)->itemOld.hItem);
    }
    return false;
}

void CCheckedTreeCtrl::ExcludeUncheckedItems(HTREEITEM node)
{
    if (!node || !ItemHasChildren(node))
        return;
    const std::string caption = CaptionOf(GetFullText(node));
    for (HTREEITEM child = GetChildItem(node); child; child = GetNextSiblingItem(child))
    {
        ExcludeUncheckedItems(child);
        if (GetCheckState(child) == kUnticked)
            ExcludeFinding(child, caption);
    }
}

void CCheckedTreeCtrl::ExcludeFinding(HTREEITEM leaf, const std::string& caption)
{
    ++m_excludedCount;
    if (!m_store)
        return;
    const std::string mark = GetFullText(leaf) + "^" + caption;
    m_store->ExcludeItem(mark.c_str(), 0, 0);
    m_handedMarks.push_back(mark);
}

void CCheckedTreeCtrl::ForgetNode(HTREEITEM item)
{
    m_fullTexts.erase(item);
    for (auto node = m_categoryNodes.begin(); node != m_categoryNodes.end(); ++node)
    {
        if (node->second == item)
        {
            m_categoryNodes.erase(node);
            return;
        }
    }
}

std::string CCheckedTreeCtrl::GetFullText(HTREEITEM item) const
{
    const auto found = m_fullTexts.find(item);
    return found != m_fullTexts.end() ? found->second : GetItemText(item);
}

HTREEITEM CCheckedTreeCtrl::DeleteFinding(HTREEITEM leaf)
{
    HTREEITEM root = leaf ? GetParentItem(leaf) : nullptr;
    if (!root)
        return nullptr;
    const auto count = m_categoryCounts.find(CaptionOf(GetFullText(root)));
    if (count != m_categoryCounts.end())
    {
        --count->second;
        --m_itemsAdded;
    }
    DeleteItem(leaf);
    int leaves = 0;
    for (HTREEITEM child = GetChildItem(root); child; child = GetNextSiblingItem(child))
        ++leaves;
    const int ticked = CountCheckedChildren(root);
    SetItemData(root, static_cast<DWORD_PTR>(ticked));
    if (leaves > 0)
        SetCheckState(root, ticked == leaves ? kTicked : ticked == 0 ? kUnticked : kPartlyTicked);
    return root;
}

void CCheckedTreeCtrl::ResetContents()
{
    // Forgotten first: the deletion of every node then finds nothing to
    // forget.
    m_fullTexts.clear();
    m_categoryNodes.clear();
    DeleteAllItems();
    m_categoryCounts.clear();
    m_categoryDescriptions.clear();
    m_itemsAdded = 0;
    m_excludedCount = 0;
    m_handedMarks.clear();
}

std::vector<std::string> CCheckedTreeCtrl::ForgetExclusions()
{
    m_excludedCount = 0;
    std::vector<std::string> marks;
    marks.swap(m_handedMarks);
    return marks;
}
