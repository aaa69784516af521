#pragma once
#include <windows.h>

#include "Client/Controls/CBitmapDialog.h"
#include "Client/Controls/CItemListCtrl.h"
#include "Client/Controls/CLabel.h"
#include "Client/Controls/CxSkinButton.h"
#include "Client/Pages/StartupManager.h"

// The page "MANAGE STARTUP": lists the Run values of the registry and the
// files of the two Startup folders with the items disabled earlier, and
// disables, enables or removes one of them or all. Every action ends by
// reading the list afresh, which shows what happened, and by telling the
// user of each item that could not be changed.
class CMonitorDlg : public CBitmapDialog
{
public:
    explicit CMonitorDlg(CWnd* parent = nullptr);

    // Called whenever the main window shows the page.
    void Refresh();
    void RefreshStartupList();

    const StartupManager& GetStartupManager() const { return m_startup; }

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) override;

private:
    void SetupSkins();
    void SetupLabels();
    void ClearList();
    void FillList();
    void AddRow(const std::string& name, const std::string& command, const char* location, int disabled,
                LPARAM fromRegistry);
    void OnItemChanged(const NMLISTVIEW& change);
    void UpdateButtons(int row);
    int SelectedRow() const;

    void OnEnableAll();
    void OnDisableAll();
    void OnDisable();
    void OnEnable();
    void OnRemove();
    void FinishAction();

    StartupManager m_startup;
    CItemListCtrl m_list;
    CLabel m_infoLabel;
    CLabel m_textLabel;
    CxSkinButton m_enableAllButton;
    CxSkinButton m_disableAllButton;
    CxSkinButton m_disableButton;
    CxSkinButton m_enableButton;
    CxSkinButton m_removeButton;
};
