#include "Client/Pages/CDefrag.h"

#include "Client/Shell/PageShell.h"
#include "Client/Shell/ProgramMessages.h"
#include "Client/Shell/TrackedJobObject.h"
#include "Client/Shell/WindowsVersion.h"
#include "Client/res/DefragResource.h"
#include "Engine/CAbstractProcess.h"
#include "Framework/AnsiText.h"
#include "Framework/CDataExchange.h"

namespace
{
const int kPageX = 183;
const int kPageY = 62;
const int kPageWidth = 509;
const int kPageHeight = 332;
const int kProgressStep = 3;

// The job's results.
enum DefragResultCode
{
    kFailedBeforeList = 0,
    kHiveListFailed = 1,
    kCompactionFailed = 2,
    kSwapFailed = 3,
    kLowDiskSpace = 4,
    kFailedAfterList = 5,
    kAnalysedWorthIt = 6,
    kSwappedRestart = 7,
    kNothingToGain = 8,
};

const char kAnalysisFailed[] = "Registry analysis failed, please follow the below instructions and then retry;\n"
                               "Close all running applications\nFree some disk space";
const char kDefragFailed[] = "Registry defragmentation failed, please follow the below instructions and then retry;\n"
                             "Close all running applications\nFree some disk space\n"
                             "Restart your system if you have already run defragmentation once";
const char kLowDisk[] = "Error occurred due to low disk space, please empty some disk space and then retry";
const char kAnalysed[] = "Registry analysis completed. Your computer registry is %d%% fragmented.\n"
                         "Press Defrag Button to start defragmentation";
const char kAlreadyCompact[] = "Your registry is already defragmented, no need for registry defragmentation";
const char kRestartQuestion[] = "You must restart your system to complete registry defragmentation.\n"
                                "Do you want to restart your system now?";
const char kBeforeAnalysis[] = "Before running registry analysis/defragmentation, please save your work and close all "
                               "running applications and make sure you have some free disk space.\n"
                               "Press OK to continue else Cancel.";
}

CDefrag::CDefrag(CWnd* parent) : CBitmapDialog(IDD_DEFRAG_PAGE, parent) {}

CDefrag::~CDefrag() = default;

void CDefrag::DoDataExchange(CDataExchange* dx)
{
    CBitmapDialog::DoDataExchange(dx);
    dx->Control(IDC_DEFRAG_ANALYSE, m_analyseButton);
    dx->Control(IDC_DEFRAG_START, m_defragButton);
    dx->Control(IDC_DEFRAG_PROGRESS, m_progress);
    dx->Control(IDC_DEFRAG_BACK, m_backButton);
}

BOOL CDefrag::OnInitDialog()
{
    CBitmapDialog::OnInitDialog();
    m_jobReports.AnnounceTo(m_hWnd, WM_JOB_STATUS);
    m_analyseButton.SetSkin(IDB_DEFRAG_ANALYSE_NORMAL, IDB_DEFRAG_ANALYSE_HOVER, IDB_DEFRAG_ANALYSE_HOVER, 0, 0, 0, 0,
                            0, 0);
    m_defragButton.SetSkin(IDB_DEFRAG_START_NORMAL, IDB_DEFRAG_START_HOVER, IDB_DEFRAG_START_HOVER, 0, 0, 0, 0, 0, 0);
    m_backButton.SetSkin(IDB_DEFRAG_BACK_NORMAL, IDB_DEFRAG_BACK_HOVER, IDB_DEFRAG_BACK_HOVER, 0, 0, 0, 0, 0, 0);
    m_progress.SetRange(0, JobReports::kFullProgress);
    ShowStartFace();
    MoveWindow(kPageX, kPageY, kPageWidth, kPageHeight, true);
    return TRUE;
}

CAbstractProcess* CDefrag::EngineProcess() const
{
    return m_pProcess ? m_pProcess : ProgramShell().JobObject();
}

void CDefrag::ShowStartFace()
{
    // The other face goes first and the button a user presses comes last,
    // so that whoever sees it usable sees the whole face.
    m_analysedFace = false;
    m_defragButton.EnableWindow(false);
    m_defragButton.ShowWindow(SW_HIDE);
    m_backButton.ShowWindow(SW_HIDE);
    SetBitmap(IDB_DEFRAG_START_FACE);
    m_progress.ShowWindow(SW_SHOW);
    m_analyseButton.EnableWindow(true);
    m_analyseButton.ShowWindow(SW_SHOW);
    Invalidate(true);
}

void CDefrag::ShowAnalysedFace()
{
    m_analysedFace = true;
    m_analyseButton.EnableWindow(false);
    m_analyseButton.ShowWindow(SW_HIDE);
    m_progress.ShowWindow(SW_HIDE);
    SetBitmap(IDB_DEFRAG_ANALYSED_FACE);
    m_backButton.ShowWindow(SW_SHOW);
    m_defragButton.EnableWindow(true);
    m_defragButton.ShowWindow(SW_SHOW);
    Invalidate(true);
}

void CDefrag::RestoreFaceButtons()
{
    m_analyseButton.EnableWindow(!m_analysedFace);
    m_defragButton.EnableWindow(m_analysedFace);
}

bool CDefrag::StartJob(int replace, const char* busyMessage)
{
    CAbstractProcess* process = EngineProcess();
    if (TrackedJobObject::IsJobRunning(process))
    {
        MessageBox(busyMessage, nullptr, MB_ICONINFORMATION);
        return false;
    }
    if (replace == 0 && MessageBox(kBeforeAnalysis, nullptr, MB_OKCANCEL | MB_ICONINFORMATION) != IDOK)
        return false;
    m_analyseButton.EnableWindow(false);
    m_defragButton.EnableWindow(false);
    if (replace == 0)
        m_nFragmentation = 0;
    m_jobReports.Restart();
    // The findings of the last scan stay: the results page may still repair
    // them after an analysis.
    if (!process || process->StartDefrag(replace, this, WindowsVersion::Current()) < 0)
    {
        RestoreFaceButtons();
        return false;
    }
    m_nReplace = replace;
    process->Resume();
    return true;
}

void CDefrag::OnAnalyze()
{
    StartJob(0, "Please stop other active operation before starting registry analysis.");
}

void CDefrag::OnDefrag()
{
    StartJob(1, "Please stop other active operation before starting registry defragmentation.");
}

void CDefrag::OnBack()
{
    ShowStartFace();
    RedrawWindow(nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void CDefrag::ShowResultMessage(const char* text)
{
    MessageBox(AnsiText::Format("%s.", text).c_str(), nullptr, MB_ICONINFORMATION);
    m_progress.SetPos(0);
}

LRESULT CDefrag::AskForRestart()
{
    m_analyseButton.EnableWindow(false);
    m_backButton.EnableWindow(false);
    if (MessageBox(kRestartQuestion, nullptr, MB_YESNO | MB_ICONINFORMATION) != IDYES)
        return 0;
    if (m_restart)
        return m_restart();
    return ProgramShell().ShutdownOrRestart(TRUE, FALSE);
}

LRESULT CDefrag::OnDefragDone()
{
    m_analyseButton.EnableWindow(true);
    m_defragButton.EnableWindow(false);
    TakeJobReports();
    const int result = m_jobReports.Result();
    switch (result)
    {
    case kHiveListFailed:
    case kCompactionFailed: ShowResultMessage(kAnalysisFailed); break;
    case kSwapFailed: ShowResultMessage(kDefragFailed); break;
    case kLowDiskSpace: ShowResultMessage(kLowDisk); break;
    case kAnalysedWorthIt:
        ShowAnalysedFace();
        RedrawWindow(nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
        ShowResultMessage(
            AnsiText::Format(kAnalysed, m_nFragmentation).c_str());
        break;
    case kSwappedRestart: return AskForRestart();
    case kNothingToGain: ShowResultMessage(kAlreadyCompact); break;
    default:
        // The job failed (or gave a code it never gives): say which step.
        ShowResultMessage(m_nReplace ? kDefragFailed : kAnalysisFailed);
        break;
    }
    return 1;
}

void CDefrag::TakeJobReports()
{
    JobReports::Taken taken;
    m_jobReports.Take(taken);
    if (taken.progressChanged && m_progress.GetSafeHwnd())
        m_progress.SetPos(taken.progress);
    for (const JobReports::Report& report : taken.reports)
        m_nFragmentation = static_cast<int>(report.category);
}

void CDefrag::SetStatusText(const char*, const char*) {}

void CDefrag::OnProgress(int state)
{
    switch (state)
    {
    case 0: m_jobReports.SetProgress(0); break;
    case 1: m_jobReports.StepProgress(kProgressStep); break;
    case 2: m_jobReports.SetProgress(JobReports::kFullProgress); break;
    default: break;
    }
}

void CDefrag::OnItemFound(const char*, DWORD category, int, int)
{
    // The analysis reports the fragmentation as the category.
    m_jobReports.AddFinding(std::string(), category, 0, 0);
}

int CDefrag::OnJobFinished(int)
{
    return 1;
}

int CDefrag::OnDefragResult(int result)
{
    m_jobReports.SetEnd(result);
    PostMessage(WM_DEFRAG_DONE, 0, 0);
    return 1;
}

BOOL CDefrag::OnCommand(WPARAM wParam, LPARAM lParam)
{
    if (HIWORD(wParam) == BN_CLICKED)
        switch (LOWORD(wParam))
        {
        case IDC_DEFRAG_ANALYSE: OnAnalyze(); return TRUE;
        case IDC_DEFRAG_START: OnDefrag(); return TRUE;
        case IDC_DEFRAG_BACK: OnBack(); return TRUE;
        default: break;
        }
    return CBitmapDialog::OnCommand(wParam, lParam);
}

LRESULT CDefrag::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_JOB_STATUS)
    {
        TakeJobReports();
        return 0;
    }
    if (message == WM_DEFRAG_DONE)
        return OnDefragDone();
    return CBitmapDialog::WindowProc(message, wParam, lParam);
}
