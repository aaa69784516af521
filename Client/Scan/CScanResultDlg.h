#pragma once
#include <windows.h>

#include <atomic>
#include <map>
#include <set>
#include <string>

#include "Client/Controls/CBitmapDialog.h"
#include "Client/Controls/CCheckedTreeCtrl.h"
#include "Client/Controls/CLabel.h"
#include "Client/Controls/CheckedTreeOwner.h"
#include "Client/Controls/CxSkinButton.h"
#include "Client/Scan/SystemRestorePoint.h"
#include "Client/Shell/CAbstractStatus.h"
#include "Framework/CBrush.h"
#include "Framework/CButton.h"
#include "Framework/CProgressCtrl.h"

class CRegClientDlg;

// Step 3 of 3 of a scan: the findings of the last scan as a tree of check
// boxes, one root per category. The user unticks findings, ignores one for
// good or repairs the ticked ones; the repair runs on the engine's job
// thread, after a System Restore point when the settings ask for one. When
// it ends the page records what was really repaired and goes home.
class CScanResultDlg : public CBitmapDialog, public CAbstractStatus, public CheckedTreeOwner
{
public:
    // Findings per category bit, as the page counts them.
    typedef std::map<DWORD, int> CategoryCounts;

    explicit CScanResultDlg(CWnd* parent = nullptr);
    ~CScanResultDlg() override;

    // Rebuilds the tree and the counts from the results store after a scan.
    void ShowResults();
    // Checks the selection, sets the restore point, starts the repair.
    void OnRepair();
    // Puts the selected finding on the ignore list and takes it out.
    void OnIgnoreItem();
    // The job has ended: statistics, the home page, the automatic tail.
    LRESULT OnRepairFinished(WPARAM wParam, LPARAM lParam);
    // Asks the store for each registry category's count; their sum.
    int CountAllErrors(CategoryCounts& counts) const;
    BOOL SetRestorePoint();
    // The line before " Junk Files Found" that the scan progress page writes.
    void SetJunkFileLine(const std::string& text);

    // CheckedTreeOwner: the tree keeps these counters and the label.
    int& SelectedCount() override { return m_selectedFindings; }
    int& TotalCount() override { return m_totalFindings; }
    CLabel* SelectionLabel() override;
    void SetDescription(const std::string& description) override;

    // What the scan progress page copies in before ShowResults.
    int m_totalFindings = 0;
    int m_selectedFindings = 0;
    int m_junkFileCount = 0;
    std::string m_junkFileText = "No";

    // The scan that the results come from, as the scan progress page saw it.
    DWORD m_scanMask = 0;
    DWORD m_scanStartTick = 0;
    DWORD m_scanEndTick = 0;
    int m_examinedCount = 0;

    // What the last repair did, for whoever shows it.
    struct RepairOutcome
    {
        CategoryCounts repaired;
        int total = 0;
        int offered = 0;
        int skipped = 0;
        bool refused = false;
    };
    const RepairOutcome& LastRepair() const { return m_lastRepair; }
    // From the start of a repair until its end has been handled.
    bool IsRepairing() const { return m_repairing; }
    const SystemRestorePoint& RestorePoint() const { return m_restorePoint; }
    CCheckedTreeCtrl& Tree() { return m_tree; }

    // The scan time as text: never empty, also where the system's formatter
    // gives nothing.
    static std::string FormatScanTime(DWORD milliseconds);
    // The text as it fits width pixels of the device context's font, with
    // the middle of a path left out.
    static std::string CompactToWidth(HDC dc, const std::string& text, int width);

    // CAbstractStatus, called on the engine's job thread.
    void SetStatusText(const char* text, const char* code) override;
    void OnProgress(int state) override;
    void OnItemFound(const char* text, DWORD category, int firstValue, int secondValue) override;
    int OnJobFinished(int result) override;
    int OnDefragResult(int result) override;

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    HBRUSH OnCtlColor(HDC dc, HWND control, UINT controlType) override;
    BOOL OnSetCursor(HWND window, UINT hitTest, UINT message) override;

private:
    void InitSkin();
    void CreateTree();
    void AddCategoryRoots();
    // Findings put into the tree, by category caption.
    typedef std::map<std::string, int> FindingCounts;
    FindingCounts AddFindings();
    // Writes each root's number of findings into its text: as counted in
    // filled when given (right after a fill), else by walking the tree.
    void RenumberCaptions(const FindingCounts* filled = nullptr);
    void SelectFirstRoot();
    void ShowRegistryGroup();
    void ShowJunkGroup();
    void OnJunkCheck(int id, DWORD category);
    void EnableControls(bool enable);
    void WriteSelectionLine();
    // The repair did not run: the page is usable again and says why.
    void AbandonRepair(const char* message);
    // Which ticked findings exist as the repair starts.
    void NoteFindingsPresent();
    RepairOutcome CountRepaired(bool refused) const;
    void FillSummary(int found, int skipped, int repaired, const std::string& time);
    void RecordRepairedStatistics(const RepairOutcome& outcome);
    void RunAutomaticTail();
    CRegClientDlg* MainWindow() const;

    CCheckedTreeCtrl m_tree;
    CLabel m_headingLabel;
    CLabel m_selectionLabel;
    CLabel m_descriptionCaption;
    CLabel m_descriptionLabel;
    CLabel m_countLabel;
    CLabel m_statusLabel;
    CLabel m_junkLabel;
    CLabel m_recycleCaption;
    CLabel m_tempCaption;
    CButton m_recycleCheck;
    CButton m_tempCheck;
    CProgressCtrl m_progress;
    CxSkinButton m_repairButton;
    CxSkinButton m_secondRepairButton;
    CxSkinButton m_backButton;
    CxSkinButton m_ignoreButton;
    CxSkinButton m_registryTab;
    CxSkinButton m_junkTab;
    CBrush m_pageBrush;

    std::atomic<unsigned> m_junkKBTotal{0};
    double m_recycleBinKB = 0.0;
    double m_tempFilesKB = 0.0;
    std::atomic<int> m_repairResult{0};
    bool m_repairing = false;
    int m_rootCreated[14] = {};
    SystemRestorePoint m_restorePoint;
    RepairOutcome m_lastRepair;
    std::set<HTREEITEM> m_presentBeforeRepair;
};
