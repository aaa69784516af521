#pragma once
#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "Client/Controls/CBitmapDialog.h"
#include "Client/Controls/CCheckedTreeCtrl.h"
#include "Client/Controls/CLabel.h"
#include "Client/Controls/CheckedTreeOwner.h"
#include "Client/Controls/CxSkinButton.h"
#include "Client/Scan/RepairedFindings.h"
#include "Client/Scan/ScanOutcome.h"
#include "Client/Scan/ScanWorkflow.h"
#include "Client/Scan/SystemRestorePoint.h"
#include "Client/Shell/CAbstractStatus.h"
#include "Client/Shell/JobFinishGate.h"
#include "Client/Shell/JobReports.h"
#include "Framework/CBrush.h"
#include "Framework/CButton.h"
#include "Framework/CProgressCtrl.h"

class CScanItemsInfo;
struct ClientCategory;

// Step 3 of 3 of a scan: the findings of the last scan as a tree of check
// boxes, one root per category. The user unticks findings, ignores one for
// good or repairs the ticked ones; the repair runs on the engine's job
// thread, after a System Restore point when the settings ask for one. When
// it ends the page records what was really repaired and goes home.
//
// Threads: the repair's status texts and junk totals come on the engine's
// job thread; they are kept under a lock, and the status text is shown on the
// window thread when the message the job thread posts arrives. The repair is
// finished only once the job's thread has ended. Nothing that takes long runs
// on the window thread: the findings are listed from the tree a part at a
// time, and the registry and the disk are asked whether they are there on
// other threads (see RepairedFindings).
class CScanResultDlg : public CBitmapDialog, public CAbstractStatus, public CheckedTreeOwner
{
public:
    // Findings per category bit, as the page counts them.
    typedef std::map<DWORD, int> CategoryCounts;

    explicit CScanResultDlg(CWnd* parent = nullptr);
    ~CScanResultDlg() override;

    void SetWorkflow(ScanWorkflow* workflow) { m_workflow = workflow; }

    // Rebuilds the tree and the counts from the results store after a scan.
    void ShowResults(const ScanOutcome& scan);
    // Before the step is shown: the selection line, the junk-file line, and
    // the registry group (or, when nothing but junk was found, the junk group).
    void PrepareToShow(bool registryGroup);
    // The scan that the results come from.
    const ScanOutcome& LastScan() const { return m_scan; }
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

    // The findings offered for repair and those ticked, as the tree keeps them.
    int m_totalFindings = 0;
    int m_selectedFindings = 0;

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
    void OnTimer(UINT_PTR id) override;

private:
    void InitSkin();
    void CreateTree();
    void AddCategoryRoots();
    void AddFindings();
    // Writes each root's number of findings, as the tree counts them, into
    // its text.
    void RenumberCaptions();
    void SelectFirstRoot();
    void ShowRegistryGroup();
    void ShowJunkGroup();
    void OnJunkCheck(int id, DWORD category);
    void EnableControls(bool enable);
    void WriteSelectionLine();
    // The leaf the user ignores and every finding that names the same entry
    // under another name, in any category.
    // The outcome of the ignore list's write, at the page's timer.
    void TakeIgnoreOutcome();
    void TellIgnoreListNotSaved();
    std::vector<HTREEITEM> FindingsIgnoredWith(HTREEITEM leaf, const CScanItemsInfo* store) const;
    // Deletes an ignored finding, and its category when it was the last.
    void LetIgnoredFindingGo(HTREEITEM leaf);
    // The repair did not run: the page is usable again and says why.
    void AbandonRepair(const char* message);
    // The findings the repair is offered, as the tree holds them, listed a
    // part at a time: the unticked ones handed to the store as left out, the
    // ticked ones noted to be looked for before and after the repair.
    void BeginListingFindings();
    void EnterListedRoot();
    void ListSomeFindings();
    void ListFinding(HTREEITEM leaf);
    // Every finding is listed: the restore point, then the look at which
    // findings are there.
    void ContinueRepairStart();
    // The look is done: the repair's job is resumed.
    void OnPresenceNoted();
    RepairOutcome CountRepaired(bool refused) const;
    void FillSummary(int found, int skipped, int repaired, const std::string& time);
    void RecordRepairedStatistics(const RepairOutcome& outcome);
    void ShowHomePage();
    // The home page, then the close, shutdown or restart the settings ask
    // for; true when one of them came.
    bool RunAutomaticTail();
    // What the repair's job thread reported: the status it reported last
    // shown, the junk sizes it freed counted.
    void TakeJobReports();
    void TakeJunkSize(DWORD category, int kb);
    void ShowStatus(const std::string& text);

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

    ScanWorkflow* m_workflow = nullptr;
    ScanOutcome m_scan;

    // What the repair's job thread reported and the window thread has not
    // taken yet; the junk sizes taken so far.
    JobReports m_jobReports;
    unsigned m_junkKBTotal = 0;
    double m_recycleBinKB = 0.0;
    double m_tempFilesKB = 0.0;

    bool m_repairing = false;
    JobFinishGate m_finishGate;
    SystemRestorePoint m_restorePoint;
    RepairOutcome m_lastRepair;
    RepairedFindings m_repairedFindings;
    // Where the listing of the findings for a repair stands.
    HTREEITEM m_listRoot = nullptr;
    HTREEITEM m_listLeaf = nullptr;
    std::string m_listCaption;
    const ClientCategory* m_listCategory = nullptr;
    int m_offeredFindings = 0;
    int m_skippedFindings = 0;
};
