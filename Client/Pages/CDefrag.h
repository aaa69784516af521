#pragma once
#include <windows.h>

#include <functional>

#include "Client/Controls/CBitmapDialog.h"
#include "Client/Controls/CxSkinButton.h"
#include "Client/Shell/CAbstractStatus.h"
#include "Client/Shell/JobReports.h"
#include "Framework/CProgressCtrl.h"

class CAbstractProcess;

// The defragmentation page: starts the engine's hive compaction in its two
// steps (analysis, then the swap of the compacted copies), follows it with
// a progress bar and answers its result with a message, the analysed face,
// or the question to restart the computer.
class CDefrag : public CBitmapDialog, public CAbstractStatus
{
public:
    explicit CDefrag(CWnd* parent = nullptr);
    ~CDefrag() override;

    // The job object the page starts its jobs on; the application's unless
    // one is given here.
    void UseEngineProcess(CAbstractProcess* process) { m_pProcess = process; }
    // What answering yes to the restart question does; the application's
    // restart without a further question unless one is given here.
    void SetRestart(std::function<BOOL()> restart) { m_restart = std::move(restart); }

    bool ShowsAnalysedFace() const { return m_analysedFace; }

    // Status sink, called on the engine's job thread.
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

private:
    void OnAnalyze();
    void OnDefrag();
    void OnBack();
    // WM_DEFRAG_DONE, on the window thread: acts on the stored result.
    LRESULT OnDefragDone();
    // Starts the analysis (replace 0) or the swap (replace 1); false when
    // nothing started, and then the buttons are as they were.
    bool StartJob(int replace, const char* busyMessage);
    void ShowStartFace();
    void ShowAnalysedFace();
    // The two main buttons as the face on show has them.
    void RestoreFaceButtons();
    void ShowResultMessage(const char* text);
    LRESULT AskForRestart();
    // What the job reported: the bar moved, the fragmentation kept.
    void TakeJobReports();
    CAbstractProcess* EngineProcess() const;

    CxSkinButton m_analyseButton;
    CxSkinButton m_defragButton;
    CProgressCtrl m_progress;
    CxSkinButton m_backButton;

    // What the job thread reported and the window thread has not taken yet.
    JobReports m_jobReports;
    // The fragmentation the analysis found, as taken from the job's reports.
    int m_nFragmentation = 0;
    // Which start the result answers: 0 analysis, 1 swap.
    int m_nReplace = 0;
    bool m_analysedFace = false;
    CAbstractProcess* m_pProcess = nullptr;
    std::function<BOOL()> m_restart;
};
