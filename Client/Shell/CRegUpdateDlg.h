#pragma once
#include <windows.h>

#include <memory>
#include <string>

#include "Client/Controls/CBitmapDialog.h"
#include "Client/Controls/CLabel.h"
#include "Client/Controls/CPictureEx.h"
#include "Client/Shell/UpdateJob.h"
#include "Framework/CHandle.h"

// The updater: a small modal dialog that shows the current step and an
// animation while its worker asks the update server, downloads and starts
// the installer. The dialog and its worker share only the job; closing the
// dialog in any way cancels the job and waits, with messages flowing, until
// the worker has ended.
class CRegUpdateDlg : public CBitmapDialog
{
public:
    static constexpr UINT_PTR kPollTimer = 1;
    static constexpr UINT kPollMs = 500;

    // The query's facts besides silent come from the application and the
    // settings page; the caller fills them in.
    CRegUpdateDlg(CWnd* parent, int silent, const UpdateProtocol::QueryFacts& facts = UpdateProtocol::QueryFacts(),
                  bool portable = true);
    ~CRegUpdateDlg() override;

    // How the program ends once the installer runs; tests put their own.
    using ProgramEnd = void (*)(UINT exitCode);
    static ProgramEnd SetProgramEnd(ProgramEnd end);

    const std::shared_ptr<UpdateJob>& Job() const { return m_job; }
    bool HasWorker() const { return m_worker.IsValid(); }
    std::string GetStatusText() const;

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    void OnClose() override;
    void OnTimer(UINT_PTR id) override;
    void OnShowWindow(BOOL show, UINT status) override;

private:
    void StartWorker();
    // Shows what the worker asked for since the last tick.
    void ApplyWorkerState();
    // Cancels the job, answers the worker's open question and waits for the
    // worker while this thread's messages keep flowing.
    void StopWorker();
    void CloseUpdater();

    int m_bCloseRequest = 0;
    int m_bExitRequest = 0;
    int m_bCancelRequest = 0;
    int m_bWorkerStarted = 0;
    int m_bSilent = 0;
    CHandle m_worker;
    DWORD m_workerId = 0;
    CLabel m_statusLabel;
    CPictureEx m_animation;
    CLabel m_titleLabel;

    std::shared_ptr<UpdateJob> m_job;
    bool m_closing = false;
};
