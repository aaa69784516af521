#pragma once
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Client/Controls/CBitmapDialog.h"
#include "Client/Controls/CItemListCtrl.h"
#include "Client/Controls/CLabel.h"
#include "Client/Controls/CxSkinButton.h"
#include "Framework/CBrush.h"
#include "Framework/CHandle.h"
#include "Framework/CComboBox.h"
#include "Framework/CListBox.h"

class CScanItemsInfo;
class IgnoreListSnapshot;

// The ignore-list page: the findings the user chose never to see again,
// read from the results store each time the page is shown, with Remove to
// take one out. Its tabs lead back to the settings page's tabs.
class CAdvanceSettingsDlg : public CBitmapDialog
{
public:
    explicit CAdvanceSettingsDlg(CWnd* parent = nullptr);
    ~CAdvanceSettingsDlg() override;

    // Rebuilds the list from the file; the main window calls it each time
    // it shows the page.
    void Refresh();

    // The results store the page reads and writes; the application's unless
    // one is given here.
    void UseScanItems(CScanItemsInfo* items) { m_pItems = items; }

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    void OnDestroy() override;
    HBRUSH OnCtlColor(HDC dc, HWND control, UINT controlType) override;
    BOOL OnSetCursor(HWND window, UINT hitTest, UINT message) override;
    void OnTimer(UINT_PTR id) override;

private:
    void FillIgnoreList();
    // The list is virtual: it asks the page for a row's texts when it shows
    // the row, so a list of any length costs the window nothing to show. The
    // rows' order (by item, as a sorted list compares them) is made on a
    // worker; the list shows the rows once it is there.
    void StartSorting(std::shared_ptr<const IgnoreListSnapshot> list);
    // True once the worker's order is shown.
    bool TakeSortedRows();
    void StopSorting();
    void FillRowText(int row, int column, char* text, int size) const;
    void OnRemove();
    // The store writes a removal on a worker; the page takes its outcome at
    // its timer, and the row goes once the file holds the change.
    void TakeRemoval();
    // Forgets a removal under way on the page; the store keeps and settles
    // it.
    void StopAwaitingRemoval();
    void TellRemovalFailed();
    // Page 4, and with a tab number that tab of the settings page.
    void ShowSettings(int tab);
    CScanItemsInfo* ScanItems() const;
    bool IsTabButton(HWND window) const;

    CBrush m_whiteBrush;
    CLabel m_generalLink;
    CLabel m_advanceLink;
    CListBox m_oldList;
    CLabel m_titleLabel;
    CLabel m_detailsLabel;
    CxSkinButton m_removeButton;
    CLabel m_categoryLabel;
    CComboBox m_categoryCombo;
    CxSkinButton m_generalTab;
    CxSkinButton m_advancedTab;
    CxSkinButton m_scheduleTab;
    CxSkinButton m_ignoreTab;
    CLabel m_headingLabel;
    CItemListCtrl m_list;

    // What the rows show: the list as the store read it, and for each row
    // the index of its entry there.
    std::shared_ptr<const IgnoreListSnapshot> m_shown;
    std::vector<uint32_t> m_rowEntries;
    // The entry whose removal the store is writing.
    bool m_removing = false;
    uint32_t m_removedEntry = 0;

public:
    // The order of one list's entries, made on a worker; shared by the
    // page and the worker until both let go.
    struct SortJob
    {
        std::shared_ptr<const IgnoreListSnapshot> list;
        std::vector<uint32_t> order;
        std::atomic<bool> cancelled{false};
        std::atomic<bool> done{false};
    };

private:
    std::shared_ptr<SortJob> m_sortJob;
    CHandle m_sorter;
    CScanItemsInfo* m_pItems = nullptr;
};
