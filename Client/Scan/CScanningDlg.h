#pragma once
#include <windows.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "Client/Controls/CBitmapDialog.h"
#include "Client/Controls/CLabel.h"
#include "Client/Controls/CPictureEx.h"
#include "Client/Controls/PictureDecoder.h"
#include "Client/Controls/CxSkinButton.h"
#include "Client/Scan/LastResults.h"
#include "Client/Scan/ScanOutcome.h"
#include "Client/Scan/ScanRequest.h"
#include "Client/Scan/ScanWorkflow.h"
#include "Client/Scan/WhiteList.h"
#include "Client/Shell/CAbstractStatus.h"
#include "Client/Shell/JobFinishGate.h"
#include "Client/Shell/JobReports.h"
#include "Engine/CAbstractProcess.h"
#include "Engine/ScanCategory.h"
#include "Framework/CBitmap.h"
#include "Framework/CListCtrl.h"
#include "Framework/CProgressCtrl.h"
#include "Framework/CStatic.h"

// Step 2 of the scan: starts the engine's scan, shows it category by
// category with live counters, gathers the findings into the results store,
// and when the engine is done records the statistics and hands the scan's
// outcome on along the road.
//
// Threads: the engine's job thread only queues what it reports (categories,
// the item being checked, findings) and posts WM_SCAN_DONE; the page's timer
// takes the queue on the window thread, which alone touches the windows and
// the results store. The scan is finished only once the job's thread has
// ended, so that nothing of the job needs the page afterwards.
class CScanningDlg : public CBitmapDialog, public CAbstractStatus
{
public:
    explicit CScanningDlg(CWnd* parent = nullptr);
    ~CScanningDlg() override;

    // Starts the scan asked for; 0 when the engine refused the job or the
    // last scan is not finished yet, in which case nothing on the page or in
    // the store has changed.
    int BeginScan(const ScanRequest& request);
    // The scan BeginScan started runs: it has not ended and the user did
    // not cancel it.
    bool IsScanRunning() const { return m_runState == RunState::Running; }
    void SetWorkflow(ScanWorkflow* workflow) { m_workflow = workflow; }

    // The white list "WL" beside the program: ";"-ended fragments; a finding
    // that contains one (without regard to case) is not reported.
    void LoadWhiteList();
    // The results store's ignore list, read again once the program has
    // changed it; a list that could not be read whole is noted, as the
    // white list's is.
    void LoadIgnoreList();
    // False when this scan's white list or ignore list could not be read
    // whole: its findings may hold what the user chose to keep, and nothing
    // repairs them unasked.
    bool ListsHonoured() const;
    bool IsWhiteListed(const std::string& text) const;
    static std::string WhiteListPath();
    // The folder set handed to the engine's scan.
    static std::set<std::string> ScanFolders();
    // A status text as it fits the item line: cut to what the path
    // compaction takes, then compacted to width pixels.
    static std::string CompactStatusText(const char* text, UINT width);

    // CAbstractStatus, on the engine's job thread.
    void SetStatusText(const char* text, const char* code) override;
    void OnProgress(int state) override;
    void OnItemFound(const char* text, DWORD category, int firstValue, int secondValue) override;
    int OnJobFinished(int result) override;
    int OnDefragResult(int result) override;

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnDestroy() override;
    void OnTimer(UINT_PTR id) override;

private:
    // The state of the scan that BeginScan started: Running until it ends,
    // Cancelled once the user cancelled it. Only a scan still running when
    // it ends continues by itself.
    enum class RunState
    {
        Idle,
        Cancelled,
        Running,
    };

    void LoadSkins();
    void RepaintWhole();
    void StyleLabels();
    // The pictures are decoded once, on a worker, as the page is made; a
    // scan starts those that are ready, and the rest start when they come.
    void DecodePictures();
    void TakeDecodedPictures();
    void StartPictures();
    void PlayPicture(size_t index);
    void StopPictures();
    bool PicturesMayPlay() const;
    // The steps of BeginScan, in the order the start needs them. The
    // engine's job, made suspended (with the reports of the last one
    // dropped); false when the engine refused it.
    bool MakeScanJob(CAbstractProcess* engine, const ScanRequest& request);
    // The page's bars, counters, marks, pictures and buttons as a new scan
    // starts.
    void ResetPage();
    // The white list and the ignore list, with their notices.
    void ReadLists();
    // The home page's last results and, with a job to fill it again, the
    // results store.
    void ResetLastResults(bool emptyStore);
    void ResetMarks();
    void ResetCounters();
    void ShowCategoryRow(const std::string& code);
    // The queue of the job thread's reports, shown and stored; wait: also
    // when the job thread is queueing this moment (at the scan's end).
    void TakeJobReports(bool wait);
    void TakeFinding(const JobReports::Report& report);
    void TakeCategory(const std::string& letter);
    void UpdateRowsOf(DWORD category);
    void ShowCounters();
    ScanOutcome MakeOutcome(bool completed) const;
    void OnCancelScan();
    void OnPauseScan();
    void OnResumeScan();
    void OnBack();
    LRESULT OnScanFinished();
    void ShowIncompleteScan();
    int JobResult();
    void OnShowResults();
    // False when the numbers could not be stored.
    bool SaveLastErrors();
    // A list that was not read whole: a short text for the page's item line
    // at the scan's end, and the whole story for the scan log.
    void NoteListState(const char* listName, const std::string& path, ListFile::Status state);
    void TellListNotice(bool showOnPage);
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
    PictureDecoder m_pictureDecoder;
    // The user paused the scan: its pictures stand still.
    bool m_paused = false;
    std::vector<std::unique_ptr<CStatic>> m_marks;
    // What each mark shows, so that a finding sets a mark only when it changes.
    std::vector<HBITMAP> m_shownMarks;
    // Loaded once; every mark shows one of these.
    CBitmap m_neutralMark, m_pendingMark, m_foundMark, m_pendingTintMark, m_foundTintMark;

    ScanWorkflow* m_workflow = nullptr;
    // The scan BeginScan started last, and how far it is.
    ScanRequest m_request;
    RunState m_runState = RunState::Idle;

    // What the job thread reported and the window thread has not taken yet.
    JobReports m_jobReports;
    // The category the job thread reported last (job thread only, reset
    // before the job starts).
    std::string m_reportedCode;

    // The window thread's own from here.
    // The job's own word under "Scanning" rather than a category letter,
    // whole: an incomplete scan's note, which the final calls' empty text
    // must not wipe.
    std::string m_jobNote;
    std::string m_currentCode;
    WhiteList m_whiteList;
    // What NoteListState noted since the scan's start.
    std::string m_listNotice;
    std::string m_listNoticeLog;
    int m_foundCount = 0;
    // Per row: a finding came since its count was last asked, and what its
    // counter shows.
    bool m_rowCountStale[kScannedCategoryCount] = {};
    int m_shownRowCounts[kScannedCategoryCount] = {};
    int m_shownFoundCount = 0;
    int m_junkRows = 0;
    std::string m_junkText = "No";
    double m_recycleBinKB = 0;
    double m_tempFilesKB = 0;
    int m_saveScanDate = 1;
    DWORD m_scanStartTick = 0;
    // From BeginScan until the scan is finished on this page.
    bool m_scanInProgress = false;
    JobFinishGate m_finishGate;

    // The items the job looked at, as far as taken.
    int m_examinedCount = 0;
};
