#pragma once
#include <windows.h>

#include <memory>
#include <vector>

#include "Client/Controls/CBitmapDialog.h"
#include "Client/Controls/CLabel.h"
#include "Client/Controls/CxSkinButton.h"
#include "Client/Shell/IniDocument.h"
#include "Client/Shell/SettingsStore.h"
#include "Framework/CBrush.h"

class CRegClientDlg;
class CScanResultDlg;
class CScanningDlg;

// The steps of the scan page switch.
enum ScanStep
{
    kStepOptions = 2,
    kStepProgress = 7,
    kStepResults = 8,
    kStepSummary = 9,
    kStepCurrent = 10,
};

// Step 1 of the scan: the user ticks the categories and starts the scan.
// The ticked boxes are kept as the setting "LastSelectedScanTypes". The page
// also owns the switch between the scan steps, which the later steps and the
// main window call.
class CScanDlg : public CBitmapDialog
{
public:
    explicit CScanDlg(CWnd* parent = nullptr);
    ~CScanDlg() override;

    // Shows a scan step (kStepCurrent: the one shown last) with its captions.
    void ShowStep(int step);
    // Checks that no job runs and something is ticked, then starts the scan
    // and shows its progress.
    void StartScan();
    // The ticked categories among the twelve visible boxes.
    DWORD GetSelectedScanTypes() const;
    static DWORD DefaultScanTypes() { return 0xFDF400; }

    // The pages of the later steps, which this page creates beside itself
    // in the main window.
    void SetStepPages(CScanningDlg* progress, CScanResultDlg* results, CDialog* summary);
    std::vector<CWnd*> StepPages() const;
    // Runs the automatic repair of the results step when the scan that
    // just ended shows its results next; any other showing of the step
    // leaves the findings alone.
    void ArmAutoRepair() { m_autoRepairArmed = true; }
    void DisarmAutoRepair() { m_autoRepairArmed = false; }

    // The stored selection: first is whether one was stored (false at a
    // first run, after which the default is stored).
    static std::pair<bool, DWORD> LoadStoredSelection(IniDocument& document, const SettingsLocation& location);
    static void StoreSelection(IniDocument& document, const SettingsLocation& location, DWORD mask);

    // The main window the pages sit in; nullptr outside the program's run.
    static CRegClientDlg* MainWindow();

    int m_currentStep = kStepOptions;
    int m_scanOption = 0;

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    HBRUSH OnCtlColor(HDC dc, HWND control, UINT controlType) override;

private:
    void CreateStepPages();
    void LoadSelectedScanTypes();
    void OnScanTypeCheck(int box);
    void OnSelectAll();
    void UpdateSelectAllBox();
    void OnScanButton();
    void ShowOnly(CWnd* page);
    void SetCaptions(const char* title, const char* step) const;
    bool IsEngineBusy() const;

    CxSkinButton m_scanButton;
    std::vector<std::pair<int, std::unique_ptr<CLabel>>> m_labels;
    CBrush m_backgroundBrush;
    CScanningDlg* m_progressPage = nullptr;
    CScanResultDlg* m_resultsPage = nullptr;
    CDialog* m_summaryPage = nullptr;
    bool m_autoRepairArmed = false;
};
