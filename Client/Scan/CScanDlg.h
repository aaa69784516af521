#pragma once
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "Client/Controls/CBitmapDialog.h"
#include "Client/Controls/CLabel.h"
#include "Client/Controls/CxSkinButton.h"
#include "Client/Scan/ScanRequest.h"
#include "Client/Shell/IniDocument.h"
#include "Client/Shell/SettingsStore.h"
#include "Framework/CBrush.h"
#include "Framework/CButton.h"

#include "Client/Scan/ScanWorkflow.h"

// Step 1 of the scan: the user ticks the categories and starts the scan.
// The ticked boxes are kept as the setting "LastSelectedScanTypes". The
// steps after it follow on the scan road (ScanWorkflow).
class CScanDlg : public CBitmapDialog
{
public:
    explicit CScanDlg(CWnd* parent = nullptr);
    ~CScanDlg() override;

    // Shows a scan step (kStepCurrent: the one shown last): the road's step
    // switch.
    void ShowStep(int step);
    // Checks that no job runs and something is ticked, then starts a scan of
    // the ticked categories as asked for and shows its progress.
    void StartScan(ScanMode mode = ScanMode::Ordinary, const std::string& path = std::string());
    // The ticked categories among the twelve visible boxes.
    DWORD GetSelectedScanTypes() const;
    static DWORD DefaultScanTypes() { return 0xFDF400; }

    void SetWorkflow(ScanWorkflow* workflow) { m_workflow = workflow; }

    // The stored selection: first is whether one was stored (false at a
    // first run, after which the default is stored).
    static std::pair<bool, DWORD> LoadStoredSelection(IniDocument& document, const SettingsLocation& location);
    static void StoreSelection(IniDocument& document, const SettingsLocation& location, DWORD mask);

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    HBRUSH OnCtlColor(HDC dc, HWND control, UINT controlType) override;

private:
    void LoadSelectedScanTypes();
    void OnScanTypeCheck(int box);
    void OnSelectAll();
    void UpdateSelectAllBox();
    void OnScanButton();

    CxSkinButton m_scanButton;
    // The check boxes are held so that their frame painting goes through the
    // framework, which leaves it out for frameless controls; their states
    // are read from the page.
    std::vector<std::pair<int, std::unique_ptr<CButton>>> m_boxes;
    std::vector<std::pair<int, std::unique_ptr<CLabel>>> m_labels;
    CBrush m_backgroundBrush;
    ScanWorkflow* m_workflow = nullptr;
};
