#pragma once
#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "Client/Controls/CBitmapDialog.h"
#include "Client/Controls/CItemListCtrl.h"
#include "Client/Controls/CLabel.h"
#include "Client/Controls/CxSkinButton.h"
#include "Framework/CBrush.h"
#include "Framework/CComboBox.h"
#include "Framework/CListBox.h"

class CAbstractScanItemsInfo;

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
    void UseScanItems(CAbstractScanItemsInfo* items) { m_pItems = items; }

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    HBRUSH OnCtlColor(HDC dc, HWND control, UINT controlType) override;
    BOOL OnSetCursor(HWND window, UINT hitTest, UINT message) override;
    void OnTimer(UINT_PTR id) override;

private:
    void FillIgnoreList();
    // The rows of the entries, item and category, each knowing its entry's
    // key, go in a step at a time: a list of tens of thousands of entries
    // takes seconds, and the window answers between the steps.
    void StartFilling(const std::map<std::string, int>& entries);
    // One step: sort keys first, then rows; false once every row is in.
    bool FillStep();
    void StopFilling();
    void OnRemove();
    // Page 4, and with a tab number that tab of the settings page.
    void ShowSettings(int tab);
    CAbstractScanItemsInfo* ScanItems() const;
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

    // The store's key (item "^" category) of each row; a row's item data is
    // its index here.
    std::vector<std::string> m_rowKeys;

    // The rows still to go in, with the key that sorts them as the list
    // does (by item, without regard to case).
    struct PendingRow
    {
        std::string key;
        std::string item;
        std::string category;
        std::string sortKey;
    };
    std::vector<PendingRow> m_pending;
    size_t m_sortKeysMade = 0;
    size_t m_rowsInserted = 0;
    bool m_sorted = false;
    LONG m_listStyle = 0;
    CAbstractScanItemsInfo* m_pItems = nullptr;
};
