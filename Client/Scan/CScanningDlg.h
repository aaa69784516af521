#pragma once
#include <windows.h>

#include <atomic>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "Client/Controls/CBitmapDialog.h"
#include "Client/Controls/CLabel.h"
#include "Client/Controls/CPictureEx.h"
#include "Client/Controls/CxSkinButton.h"
#include "Client/Scan/LastResults.h"
#include "Client/Scan/WhiteList.h"
#include "Client/Shell/CAbstractStatus.h"
#include "Framework/CBitmap.h"
#include "Framework/CListCtrl.h"
#include "Framework/CProgressCtrl.h"
#include "Framework/CStatic.h"

class CScanResultDlg;
class CScanDlg;

// The state of the scan that BeginScan started: kScanRunning until it ends,
// kScanCancelled once the user cancelled it. Only a scan still running when
// it ends continues by itself.
enum ScanRunState
{
    kScanIdle = 0,
    kScanCancelled = 2,
    kScanRunning = 6,
};
extern int g_scanState;

// Step 2 of the scan: starts the engine's scan, shows it category by
// category with live counters, gathers the findings into the results store,
// and when the engine is done records the statistics and leads on to the
// results (or to what the settings ask for after an automatic scan).
class CScanningDlg : public CBitmapDialog, public CAbstractStatus
{
public:
    explicit CScanningDlg(CWnd* parent = nullptr);
    ~CScanningDlg() override;

    // Starts a scan of m_scanMask; 0 when the engine refused the job, in
    // which case nothing on the page or in the store has changed.
    int BeginScan();
    void SetStepPages(CScanDlg* options, CScanResultDlg* results);

    // The white list "WL" beside the program: ";"-ended fragments; a finding
    // that contains one (without regard to case) is not reported.
    void LoadWhiteList();
    bool IsWhiteListed(const std::string& text) const;
    static std::string WhiteListPath();
    // The folder set handed to the engine's scan.
    static std::set<std::string> ScanFolders();
    // A status text as it fits the item line: cut to what the path
    // compaction takes, then compacted to width pixels.
    static std::string CompactStatusText(const char* text, UINT width);

    DWORD GetScanStartTick() const { return m_scanStartTick; }
    DWORD GetScanEndTick() const { return m_scanEndTick; }
    int GetExaminedCount() const { return m_examinedCount; }

    // CAbstractStatus, on the engine's job thread.
    void SetStatusText(const char* text, const char* code) override;
    void OnProgress(int state) override;
    void OnItemFound(const char* text, DWORD category, int firstValue, int secondValue) override;
    int OnJobFinished(int result) override;
    int OnDefragResult(int result) override;

    int m_scanOption = 0;
    DWORD m_scanMask = 0;
    std::string m_scanPath;

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnDestroy() override;
    void OnTimer(UINT_PTR id) override;

private:
    void LoadSkins();
    void RepaintWhole();
    void StyleLabels();
    void StartPictures();
    void ResetMarks();
    void ResetCounters();
    void ShowCategoryRow(const std::string& code);
    void UpdateRowsOf(DWORD category);
    void ShowCounters();
    void OnCancelScan();
    void OnPauseScan();
    void OnResumeScan();
    void OnBack();
    LRESULT OnScanFinished();
    void OnShowResults();
    void SaveLastErrors();
    void ContinueAutomatically();
    void SetMark(size_t row, HBITMAP mark);
    void SetLabelText(int id, const std::string& text);
    CLabel* Label(int id) const;

    CxSkinButton m_cancelButton;
    CxSkinButton m_pauseButton;
    CxSkinButton m_resumeButton;
    CxSkinButton m_backButton;
    CxSkinButton m_showResultsButton;
    CProgressCtrl m_percentBar;
    CProgressCtrl m_categoryBar;
    CListCtrl m_foundList;
    std::vector<std::pair<int, std::unique_ptr<CLabel>>> m_labels;
    std::vector<std::unique_ptr<CPictureEx>> m_pictures;
    std::vector<std::unique_ptr<CStatic>> m_marks;
    // What each mark shows, so that a finding sets a mark only when it changes.
    std::vector<HBITMAP> m_shownMarks;
    // Loaded once; every mark shows one of these.
    CBitmap m_neutralMark, m_pendingMark, m_foundMark, m_pendingTintMark, m_foundTintMark;

    CScanDlg* m_optionsPage = nullptr;
    CScanResultDlg* m_resultsPage = nullptr;

    std::string m_currentCode;
    WhiteList m_whiteList;
    std::atomic<int> m_foundCount{0};
    // Per row what the job thread counted and what the counters show.
    std::atomic<int> m_rowCounts[12] = {};
    int m_shownRowCounts[12] = {};
    int m_shownFoundCount = 0;
    std::atomic<int> m_junkRows{0};
    std::string m_junkText = "No";
    double m_recycleBinKB = 0;
    double m_tempFilesKB = 0;
    int m_saveScanDate = 1;
    std::atomic<int> m_examinedCount{0};
    DWORD m_scanStartTick = 0;
    std::atomic<DWORD> m_scanEndTick{0};
};
