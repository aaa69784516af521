#include "Client/Shell/CRegUpdateDlg.h"

#include "Client/Shell/CRegClientApp.h"
#include "Client/Shell/UpdateWorker.h"
#include "Client/res/UpdaterResource.h"
#include "Framework/CDataExchange.h"

namespace
{
void EndProgramNow(UINT exitCode)
{
    ::ExitProcess(exitCode);
}

CRegUpdateDlg::ProgramEnd g_programEnd = &EndProgramNow;

// A message box that the worker shows is answered No (or OK) when the dialog
// closes under it, so that the worker can end.
BOOL CALLBACK AnswerWorkerBox(HWND window, LPARAM)
{
    char className[16] = {};
    ::GetClassNameA(window, className, sizeof(className));
    if (lstrcmpA(className, "#32770") == 0)
        ::PostMessageA(window, WM_COMMAND, MAKEWPARAM(::GetDlgItem(window, IDNO) ? IDNO : IDOK, BN_CLICKED), 0);
    return TRUE;
}

void PumpWaitingMessages()
{
    MSG msg{};
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
    {
        if (msg.message == WM_QUIT)
        {
            // Belongs to the loop outside; passed on once the wait is over.
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}
}

CRegUpdateDlg::CRegUpdateDlg(CWnd* parent, int silent, const UpdateProtocol::QueryFacts& facts, bool portable)
    : CBitmapDialog(IDD_UPDATER, parent), m_bSilent(silent)
{
    UpdateProtocol::QueryFacts withSilent = facts;
    withSilent.silent = silent != 0;
    m_job = std::make_shared<UpdateJob>(withSilent, portable);
}

CRegUpdateDlg::~CRegUpdateDlg()
{
    // The worker never touches the dialog, but it must not outlive it either.
    StopWorker();
}

CRegUpdateDlg::ProgramEnd CRegUpdateDlg::SetProgramEnd(ProgramEnd end)
{
    const ProgramEnd previous = g_programEnd;
    g_programEnd = end ? end : &EndProgramNow;
    return previous;
}

std::string CRegUpdateDlg::GetStatusText() const
{
    return m_statusLabel.GetSafeHwnd() ? m_statusLabel.GetWindowText() : std::string();
}

void CRegUpdateDlg::DoDataExchange(CDataExchange* dx)
{
    CBitmapDialog::DoDataExchange(dx);
    dx->Control(IDC_UPDATE_STATUS, m_statusLabel);
    dx->Control(IDC_UPDATE_ANIMATION, m_animation);
    dx->Control(IDC_UPDATE_TITLE, m_titleLabel);
}

BOOL CRegUpdateDlg::OnInitDialog()
{
    SetBitmap(IDB_UPDATER_BACKGROUND);
    SetWindowText(g_szAppTitle);
    SetTimer(kPollTimer, kPollMs);
    m_bCloseRequest = 0;
    m_bExitRequest = 0;
    return CBitmapDialog::OnInitDialog();
}

void CRegUpdateDlg::OnShowWindow(BOOL show, UINT status)
{
    CBitmapDialog::OnShowWindow(show, status);
    if (!show || status != 0)
        return;
    m_animation.SetBkColor(RGB(255, 255, 255));
    if (!m_animation.IsLoaded())
        m_animation.LoadFromResource(MAKEINTRESOURCEA(IDR_UPDATE_ANIMATION), "GIF");
    m_animation.Draw();
    m_statusLabel.SetFontName("Calibri").SetFontSize(12).SetFontBold(true).SetTransparent(true).SetTextColor(
        RGB(0x44, 0x44, 0x44));
    m_titleLabel.SetFontName("Verdana").SetFontSize(12).SetFontBold(true).SetTransparent(true).SetTextColor(
        RGB(0, 0, 0));
}

void CRegUpdateDlg::OnTimer(UINT_PTR id)
{
    if (id != kPollTimer || m_closing)
    {
        CBitmapDialog::OnTimer(id);
        return;
    }
    ApplyWorkerState();
    m_bCloseRequest = m_job->IsCloseRequested();
    m_bExitRequest = m_job->IsExitRequested();
    if (m_bCloseRequest)
    {
        CloseUpdater();
        return;
    }
    if (m_bExitRequest)
    {
        // The installer runs and replaces the program's files.
        StopWorker();
        g_programEnd(0);
        CloseUpdater();
        return;
    }
    if (!m_bWorkerStarted)
    {
        m_bWorkerStarted = 1;
        StartWorker();
    }
    CBitmapDialog::OnTimer(id);
}

void CRegUpdateDlg::StartWorker()
{
    m_worker.Attach(UpdateWorker::Start(m_job, &m_workerId));
    // Without a worker nothing would ever close the dialog.
    if (!m_worker)
        m_job->RequestClose();
}

void CRegUpdateDlg::ApplyWorkerState()
{
    std::string status;
    if (m_job->TakeStatus(status))
        m_statusLabel.SetText(status);
    bool playing = true;
    if (m_job->TakeAnimation(playing))
    {
        if (playing)
            m_animation.Draw();
        else
            m_animation.Stop();
    }
}

void CRegUpdateDlg::StopWorker()
{
    m_job->Cancel();
    if (!m_worker)
        return;
    const HANDLE worker = m_worker.Get();
    while (::MsgWaitForMultipleObjects(1, &worker, FALSE, 100, QS_ALLINPUT) != WAIT_OBJECT_0)
    {
        ::EnumThreadWindows(m_workerId, &AnswerWorkerBox, 0);
        PumpWaitingMessages();
    }
    m_worker.Close();
}

void CRegUpdateDlg::CloseUpdater()
{
    if (m_closing)
        return;
    m_closing = true;
    m_bCancelRequest = 1;
    KillTimer(kPollTimer);
    // Gone for the user at once, even while a read that Windows would end on
    // the closed handle still runs to its end (Wine ends it only when the
    // server answers or hangs up).
    ShowWindow(SW_HIDE);
    StopWorker();
    ApplyWorkerState();
    m_animation.Stop();
    EndDialog(IDCANCEL);
}

void CRegUpdateDlg::OnOK()
{
    CloseUpdater();
}

void CRegUpdateDlg::OnCancel()
{
    CloseUpdater();
}

void CRegUpdateDlg::OnClose()
{
    CloseUpdater();
}
