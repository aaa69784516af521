#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "Client/Controls/CBitmapDialog.h"
#include "Client/Controls/CItemListCtrl.h"
#include "Client/Controls/CLabel.h"
#include "Client/Controls/CxSkinButton.h"
#include "Client/Pages/BackupList.h"
#include "Client/Shell/CAbstractStatus.h"
#include "Client/Shell/JobReports.h"
#include "Framework/CBrush.h"
#include "Framework/CProgressCtrl.h"

class CAbstractProcess;

// The backup page: makes a full registry backup, restores a backup or
// deletes one, and lists the backups of this machine and user (the full
// backups made here and those the repair makes first). The engine does the
// work on its job thread; the page follows it through its status sink.
class CAdvanceOptions : public CBitmapDialog, public CAbstractStatus
{
public:
    explicit CAdvanceOptions(CWnd* parent = nullptr);
    ~CAdvanceOptions() override;

    // Reloads the list; the main window calls it each time it shows the page.
    void Refresh();

    // The job object the page starts its jobs on; the application's unless
    // one is given here.
    void UseEngineProcess(CAbstractProcess* process) { m_pProcess = process; }

    const std::vector<BackupEntry>& Backups() const { return m_backups; }
    // Deletes the file, or when that fails marks it for deletion at the next
    // start of Windows; 1 when it is gone now.
    static int DeleteBackupFile(const std::string& path);

    // Status sink, called on the engine's job thread. Of the status texts
    // the page keeps those a job hands it to show: its messages and the keys
    // a restore could not write.
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

private:
    void InitPage();
    void SetLabelTexts();
    void FillBackupList();
    void EnumerateBackups();
    void ShowBackupRows();
    void OnBackup();
    void OnRestore();
    void OnDelete();
    void StartRestoreJob(const std::string& path);
    LRESULT OnBackupFinished();
    void EnableJobButtons(bool enable);
    CAbstractProcess* EngineProcess() const;
    // The entry of the selected row, or nullptr when none is selected.
    const BackupEntry* SelectedEntry() const;
    // False, after telling the user, when the entry's file has gone since
    // the list was made.
    bool IsStillThere(const BackupEntry& entry) const;
    void ShowMessage(const char* text) const;
    // What the job handed the page to show at its end.
    struct ToldByJob
    {
        std::vector<std::string> messages;
        std::vector<std::string> notRestored; // the first few
        size_t notRestoredCount = 0;
    };
    void ClearJobReports();
    // What the job reported: the bar moved, its texts gathered for its end.
    void TakeJobReports();
    // The job's own messages, then what its result means to the user.
    void ShowJobOutcome(int result, bool restored, const ToldByJob& reports) const;

    CLabel m_infoLabel;
    CLabel m_detailsLabel;
    CItemListCtrl m_list;
    CProgressCtrl m_progress;
    CxSkinButton m_backupButton;
    CxSkinButton m_restoreButton;
    CxSkinButton m_deleteButton;

    std::vector<BackupEntry> m_backups;
    // Row of the backup being restored; -1 while no restore runs.
    int m_nRestoreIndex = -1;
    // The file being restored, kept from the start of the restore: the list
    // may be rebuilt while it runs, so its rows say nothing by then.
    std::string m_restorePath;
    // What the job thread reported and the window thread has not taken yet.
    JobReports m_jobReports;
    ToldByJob m_told;
    // Set on the job thread (its first call, before any step), read there.
    int m_progressStep = 1;
    CBrush m_whiteBrush;
    CAbstractProcess* m_pProcess = nullptr;
};
