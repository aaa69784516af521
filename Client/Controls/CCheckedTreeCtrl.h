#pragma once
#include <map>
#include <string>
#include <vector>

#include "Framework/CImageList.h"
#include "Framework/CTreeCtrl.h"

class CAbstractScanItemsInfo;
class CheckedTreeOwner;

// The tree of scan findings: one node per category, captioned with its name
// and number of findings, and the findings below. Every node has a
// three-state check box from the tree's own state images; a ticked finding
// is selected for repair. The tree keeps the categories' boxes consistent with
// their findings and the owner's counters and label up to date, and before a
// repair hands every unticked finding to the results store as excluded.
class CCheckedTreeCtrl : public CTreeCtrl
{
public:
    enum CheckState
    {
        kNoCheckBox = 0,
        kTicked = 1,
        kUnticked = 2,
        kPartlyTicked = 3
    };
    // A node shows at most this many characters of its text.
    static constexpr size_t kMaxShownText = 261;

    CCheckedTreeCtrl();
    ~CCheckedTreeCtrl() override;

    void SetOwner(CheckedTreeOwner* owner) { m_owner = owner; }
    void SetResultsStore(CAbstractScanItemsInfo* store) { m_store = store; }

    void InitImageLists();
    HTREEITEM InsertCategory(std::string text, const std::string& description, int image);
    HTREEITEM AddItem(DWORD_PTR itemData, const std::string& categoryCaption, const std::string& text, int image);
    // AddItem for every text, in order, with the same item data: the
    // category is looked up once and its count of ticked findings written
    // once. Returns how many findings went in.
    int AddItems(DWORD_PTR itemData, const std::string& categoryCaption, const std::vector<std::string>& texts,
                 int image);
    void UpdateSelectionLabel(bool add, int count, bool alsoTotal);
    void ExcludeUncheckedItems(HTREEITEM node);
    // One unticked finding, under the category of that caption, as
    // ExcludeUncheckedItems hands each: for a caller that walks the findings
    // itself, a part at a time.
    void ExcludeFinding(HTREEITEM leaf, const std::string& caption);
    int CountCheckedChildren(HTREEITEM node) const;
    void SetChildrenState(int state, HTREEITEM node);

    // The finding's whole text, also when the node shows only its start.
    std::string GetFullText(HTREEITEM item) const;
    // Deletes one finding (the user ignores it): its category's count of
    // findings and the number of findings added drop by one, and the
    // category's ticked count and box are brought in line with the findings
    // left. Returns the category node, which the caller deletes when it has
    // no finding left.
    HTREEITEM DeleteFinding(HTREEITEM leaf);
    // Deletes every node and forgets the categories and counts.
    void ResetContents();

    int GetCheckState(HTREEITEM item) const { return static_cast<int>(GetItemState(item, TVIS_STATEIMAGEMASK) >> 12); }
    void SetCheckState(HTREEITEM item, int state) { SetItemState(item, INDEXTOSTATEIMAGEMASK(state), TVIS_STATEIMAGEMASK); }
    // Ticks or unticks a node as a click on its box does.
    void ToggleNode(HTREEITEM node);

    int GetItemsAdded() const { return m_itemsAdded; }
    void SetItemsAdded(int count) { m_itemsAdded = count; }
    int GetExcludedCount() const { return m_excludedCount; }
    // Starts a new count of unticked findings and gives back the marks the
    // last one handed to the results store, so that a repair that never ran
    // leaves nothing out of the next.
    std::vector<std::string> ForgetExclusions();
    std::map<std::string, int>& CategoryCounts() { return m_categoryCounts; }
    // The findings under the categories of that caption.
    int CategoryCount(const std::string& caption) const;
    const std::map<std::string, std::string>& CategoryDescriptions() const { return m_categoryDescriptions; }

    // The text before the first "[", trimmed; the whole text when it has none.
    static std::string CaptionOf(const std::string& text);

protected:
    void OnLButtonDown(UINT flags, POINT point) override;
    void OnKeyDown(UINT key, UINT repeat, UINT flags) override;
    bool OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

private:
    // As CaptionOf, but empty for a text without "[" (a finding).
    static std::string LookupCaptionOf(const std::string& text);
    // The last category node whose caption is caption, or nullptr.
    HTREEITEM FindCategoryNode(const std::string& caption) const;
    // Inserts one ticked finding under parent and keeps its whole text; the
    // category's counts are the caller's.
    HTREEITEM InsertFinding(HTREEITEM parent, DWORD_PTR itemData, const std::string& text, int image);
    // A finding went in under parent: its category's count of findings and
    // the number of findings added grow by one.
    void CountFinding(HTREEITEM parent);
    void ForgetNode(HTREEITEM item);
    int NodeLevel(HTREEITEM item) const;
    void ShowDescriptionOfSelection();

    std::map<std::string, int> m_categoryCounts;
    std::map<std::string, std::string> m_categoryDescriptions;
    std::map<HTREEITEM, std::string> m_fullTexts;
    // The category nodes that InsertCategory made, by caption (the last of a
    // caption), so that a finding finds its category without a walk of the
    // tree.
    std::map<std::string, HTREEITEM> m_categoryNodes;
    CImageList m_normalImages;
    CImageList m_stateImages;
    int m_itemsAdded = 0;
    int m_excludedCount = 0;
    std::vector<std::string> m_handedMarks;
    CheckedTreeOwner* m_owner = nullptr;
    CAbstractScanItemsInfo* m_store = nullptr;
};
