#include "Client/Scan/ScanWorkflow.h"

#include "Client/Scan/CRepairResultDlg.h"
#include "Client/Scan/CScanDlg.h"
#include "Client/Scan/CScanResultDlg.h"
#include "Client/Scan/CScanningDlg.h"
#include "Client/Scan/CStatusDlg.h"
#include "Client/Shell/PageShell.h"
#include "Client/Shell/SettingsStore.h"
#include "Client/Shell/TrackedJobObject.h"
#include "Client/res/ScanPagesResource.h"
#include "Client/res/ScanResultsResource.h"
#include "Engine/CAbstractProcess.h"

ScanWorkflow::ScanWorkflow(CScanDlg& options, CScanningDlg& progress, CScanResultDlg& results,
                           CRepairResultDlg& summary)
    : m_options(options), m_progress(progress), m_results(results), m_summary(summary)
{
    m_options.SetWorkflow(this);
    m_progress.SetWorkflow(this);
    m_results.SetWorkflow(this);
    m_summary.SetWorkflow(this);
}

// ---- The pages in the main window ----

bool ScanWorkflow::CreateFirstSteps(CWnd* mainWindow)
{
    m_mainWindow = mainWindow ? mainWindow->GetSafeHwnd() : NULL;
    const bool made = m_options.Create(IDD_SCAN_PAGE, mainWindow);
    return made;
}

void ScanWorkflow::MakeStep(CDialog& step) const
{
    CWnd* mainWindow = CWnd::FromHandle(m_mainWindow);
    if (!step.GetSafeHwnd() && mainWindow)
        step.Create(step.GetTemplateId(), mainWindow);
}

CScanningDlg& ScanWorkflow::Progress()
{
    MakeStep(m_progress);
    return m_progress;
}

CScanResultDlg& ScanWorkflow::Results()
{
    MakeStep(m_results);
    return m_results;
}

CRepairResultDlg& ScanWorkflow::Summary()
{
    MakeStep(m_summary);
    return m_summary;
}

bool ScanWorkflow::MakeNextLaterStep()
{
    if (!m_mainWindow)
        return false;
    // The repair's summary too: a repair's end would otherwise make it.
    for (CDialog* step : {static_cast<CDialog*>(&m_progress), static_cast<CDialog*>(&m_results),
                          static_cast<CDialog*>(&m_summary)})
        if (!step->GetSafeHwnd())
        {
            MakeStep(*step);
            return step->GetSafeHwnd() != NULL;
        }
    return false;
}

std::vector<CWnd*> ScanWorkflow::LaterSteps() const
{
    return {&m_progress, &m_results, &m_summary};
}

// ---- The step switch ----

void ScanWorkflow::SetCaptions(const char* title, const char* step)
{
    ProgramShell().SetPageCaptions(title, step);
}

void ScanWorkflow::ShowOnly(CWnd* shown)
{
    for (CWnd* page : std::initializer_list<CWnd*>{&m_options, &m_progress, &m_results, &m_summary})
        if (page->GetSafeHwnd() && page != shown)
            page->ShowWindow(SW_HIDE);
    if (shown && shown->GetSafeHwnd())
        shown->ShowWindow(SW_SHOW);
}

void ScanWorkflow::ShowStep(int step)
{
    const bool reshown = step == kStepCurrent;
    // The page switch shows the current step again; while a step is being
    // shown here that is the step this call shows, and it shows it once.
    if (reshown && m_showingStep)
        return;
    if (reshown)
    {
        step = m_currentStep;
    }
    else
    {
        // The step is current before the page switch: its refresh must never
        // bring back the step that is being left.
        m_currentStep = step;
        m_showingStep = true;
        ProgramShell().ShowPage(kPageScan);
        m_showingStep = false;
    }

    switch (step)
    {
    case kStepOptions:
        ShowOnly(&m_options);
        SetCaptions("SCAN", "Step 1 of 3");
        break;
    case kStepProgress:
        ShowOnly(&Progress());
        SetCaptions(TrackedJobObject::IsJobRunning(ProgramShell().JobObject()) ? "SCANNING" : "SCAN", "Step 2 of 3");
        break;
    case kStepResults:
        ShowResultsStep(reshown);
        break;
    case kStepSummary:
        ShowOnly(&Summary());
        break;
    default:
        break;
    }
    // Showing any other step drops a pending automatic repair; showing the
    // current one again (the page switch does) leaves it be.
    if (!reshown && step != kStepResults)
        m_autoRepairArmed = false;
}

void ScanWorkflow::ShowResultsStep(bool reshown)
{
    ShowOnly(&Results());
    SetCaptions("SCAN RESULTS", "Step 3 of 3");
    // While a job runs (a repair, or one still winding down) the results
    // stay as they are.
    if (TrackedJobObject::IsJobRunning(ProgramShell().JobObject()))
        return;
    if (m_results.GetSafeHwnd())
        ::EnableWindow(m_results.GetDlgItem(IDC_RESULTS_BACK), TRUE);
    const bool repairNow = !reshown && m_autoRepairArmed && ProgramShell().Settings().Record().autoRepair;
    m_autoRepairArmed = false;
    if (repairNow)
        m_results.OnRepair();
}

// ---- The hand-overs ----

void ScanWorkflow::RequestScan(ScanMode mode, const std::string& path)
{
    m_options.StartScan(mode, path);
}

bool ScanWorkflow::BeginScan(const ScanRequest& request)
{
    CScanningDlg& progress = Progress();
    m_autoRepairArmed = false;
    if (!progress.BeginScan(request))
        return false;
    ShowStep(kStepProgress);
    return true;
}

void ScanWorkflow::HandOverResults(const ScanOutcome& outcome)
{
    Results().ShowResults(outcome);
}

void ScanWorkflow::ContinueAutomatically(bool checkedToTheEnd)
{
    const SettingsRecord& settings = ProgramShell().Settings().Record();
    if (!settings.autoRepair)
        return;
    // Nothing repairs by itself what a scan could not check to the end.
    CScanResultDlg::CategoryCounts counts;
    if (checkedToTheEnd && Results().CountAllErrors(counts) > 0)
    {
        // Findings the user chose to keep may be among them: the progress
        // page says why nothing goes on, and stays.
        if (!m_progress.ListsHonoured())
            return;
        m_autoRepairArmed = true;
        ShowResults();
        return;
    }
    EndAsTheSettingsAsk();
}

bool ScanWorkflow::EndAsTheSettingsAsk()
{
    const SettingsRecord& settings = ProgramShell().Settings().Record();
    const bool startedAtLogon = ProgramShell().StartedToScanAtLogon();
    if (settings.autoShutdownSystem && !startedAtLogon)
        return ProgramShell().ShutdownOrRestart(FALSE, TRUE) != FALSE;
    if (settings.autoRestartSystem && !startedAtLogon)
        return ProgramShell().ShutdownOrRestart(TRUE, TRUE) != FALSE;
    if (!settings.autoShutdown)
        return false;
    ProgramShell().CloseMainWindow();
    return true;
}

void ScanWorkflow::ShowResults()
{
    CScanResultDlg::CategoryCounts counts;
    CScanResultDlg& results = Results();
    const int found = results.CountAllErrors(counts);
    if (found == 0 && results.LastScan().junkRows == 0)
    {
        m_autoRepairArmed = false;
        ShowStep(kStepOptions);
        return;
    }
    // The results page is made ready before it is shown: showing it may start
    // the automatic repair, which writes its own lines. The registry group
    // when there are findings, else the junk-file group.
    results.PrepareToShow(found > 0);
    ShowStep(kStepResults);
}

void ScanWorkflow::ShowSummary(int found, int skipped, int scanned, int repaired, const std::string& scanTime)
{
    Summary().ShowNumbers(found, skipped, scanned, repaired, scanTime);
}
