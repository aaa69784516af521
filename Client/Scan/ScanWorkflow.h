#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "Client/Scan/ScanOutcome.h"
#include "Client/Scan/ScanRequest.h"

class CDialog;
class CWnd;
class CRepairResultDlg;
class CScanDlg;
class CScanResultDlg;
class CScanningDlg;
class CStatusDlg;

// The steps of the scan page switch.
enum ScanStep
{
    kStepOptions = 2,
    kStepProgress = 7,
    kStepResults = 8,
    kStepSummary = 9,
    kStepCurrent = 10,
};

// The scan road from a click on Start Scan to the findings in the tree and
// their repair. It owns the step switch between the scan pages and every
// hand-over between them: the options page's start to the progress page,
// the scan's outcome to the results page, the repair's numbers to the
// summary, and the statistics to the home page. The pages themselves belong
// to the application object (the home page to the main window); they reach
// one another only through here, and the shell only through ProgramShell().
//
// Threads: everything here runs on the window thread. The engine's job
// thread calls only the pages' status faces, which queue what it reports for
// the pages' timers and post their finishing message.
class ScanWorkflow
{
public:
    ScanWorkflow(CScanDlg& options, CScanningDlg& progress, CScanResultDlg& results, CRepairResultDlg& summary);
    ScanWorkflow(const ScanWorkflow&) = delete;
    ScanWorkflow& operator=(const ScanWorkflow&) = delete;

    // ---- the pages in the main window ----
    // The options step, as a child of the main window; false without the
    // pages' templates (a test of the bare window). The later steps are made
    // in the same window when the road first needs them (Progress, Results,
    // Summary).
    bool CreateFirstSteps(CWnd* mainWindow);
    // The home page, reached through whoever holds it (the main window makes
    // it when it is first needed); nullptr while there is none.
    void JoinHomePage(std::function<CStatusDlg*()> home) { m_home = std::move(home); }
    // The steps after the first, which every page switch hides (those made).
    std::vector<CWnd*> LaterSteps() const;
    CScanDlg& Options() { return m_options; }
    // The later steps, each made first when it was not yet (while the main
    // window exists).
    CScanningDlg& Progress();
    CScanResultDlg& Results();
    CRepairResultDlg& Summary();
    // Makes the first of the progress and results steps not yet made (the
    // summary is shown by no flow); false when both are.
    bool MakeNextLaterStep();
    // The home page once it joined the road, else nullptr.
    CStatusDlg* HomePage() const { return m_home ? m_home() : nullptr; }

    // ---- the step switch ----
    // Shows a step (kStepCurrent: the one shown last) with its captions; any
    // other step than kStepCurrent switches the main window to the scan page
    // first.
    void ShowStep(int step);
    int CurrentStep() const { return m_currentStep; }
    // The scan page opens on its first step next time; nothing is shown now.
    void ReturnToFirstStepLater() { m_currentStep = kStepOptions; }
    // ---- the hand-overs ----
    // A scan asked for from outside the page (scheduled, at log-on, with a
    // path): the options page starts it as its own button does, with this
    // mode and path.
    void RequestScan(ScanMode mode, const std::string& path);
    // The options page's start: the progress step begins the scan asked for
    // and is shown; false, with nothing changed, when the scan could not be
    // started.
    bool BeginScan(const ScanRequest& request);
    // The progress step's end: the results page is made from the outcome.
    void HandOverResults(const ScanOutcome& outcome);
    // After a scan that was not cancelled: the results and their repair
    // (only when it was checked to the end), or a shutdown, restart or
    // close, as the settings ask.
    void ContinueAutomatically(bool checkedToTheEnd);
    // The end of an automatic scan or repair: shut the computer down,
    // restart it (neither after a start at log-on) or close the program, as
    // the settings ask; nothing when they ask for none. True when it did
    // one of them (a shutdown the user cancelled is none).
    static bool EndAsTheSettingsAsk();
    // To the results step, or back to the options when there is nothing to
    // show (the progress step's show-results button).
    void ShowResults();
    // The repair's numbers on the summary page.
    void ShowSummary(int found, int skipped, int scanned, int repaired, const std::string& scanTime);

private:
    void ShowOnly(CWnd* page);
    static void SetCaptions(const char* title, const char* step);
    void ShowResultsStep(bool reshown);
    void MakeStep(CDialog& step) const;

    CScanDlg& m_options;
    CScanningDlg& m_progress;
    CScanResultDlg& m_results;
    CRepairResultDlg& m_summary;
    // The main window the steps are made in; a handle, so that a window
    // gone makes nothing.
    HWND m_mainWindow = NULL;
    std::function<CStatusDlg*()> m_home;
    int m_currentStep = kStepOptions;
    // A step is being shown: the page switch's refresh leaves it to that call.
    bool m_showingStep = false;
    // Only the end of a completed scan repairs by itself, and only once.
    bool m_autoRepairArmed = false;
};
