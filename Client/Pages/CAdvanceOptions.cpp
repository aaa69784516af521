#include "Client/Pages/CAdvanceOptions.h"

#include "Client/Shell/PageShell.h"
#include "Client/Shell/ProgramMessages.h"
#include "Client/Shell/TrackedJobObject.h"
#include "Client/res/BackupResource.h"
#include "Engine/BackupFolder.h"
#include "Engine/CAbstractProcess.h"
#include "Framework/AnsiText.h"
#include "Framework/CDataExchange.h"
#include "Framework/CWinApp.h"

namespace
{
const int kPageX = 183;
const int kPageY = 62;
const int kPageWidth = 509;
const int kPageHeight = 332;

// A full backup writes five roots: 5 at its start and five steps of 19.
const int kFullBackupStart = 5;
const int kFullBackupStep = 19;
const int kJobSuccess = 1;

// Keys named in the message of a partial restore; the rest are counted.
const size_t kNotRestoredShown = 10;

std::string PartlyRestoredText(const std::vector<std::string>& keys, size_t count)
{
    std::string text = "The registry was only partly restored. These keys could not be written:\n\n";
    for (const std::string& key : keys)
        text += key + "\n";
    if (count > keys.size())
        text += AnsiText::Format("... and %lu more.\n", static_cast<unsigned long>(count - keys.size()));
    return text + "\nThe backup file was kept.";
}

bool FileExists(const std::string& path)
{
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}
}

CAdvanceOptions::CAdvanceOptions(CWnd* parent) : CBitmapDialog(IDD_BACKUP_PAGE, parent), m_whiteBrush(RGB(255, 255, 255))
{
}

CAdvanceOptions::~CAdvanceOptions() = default;

void CAdvanceOptions::DoDataExchange(CDataExchange* dx)
{
    CBitmapDialog::DoDataExchange(dx);
    dx->Control(IDC_BACKUP_INFO_LABEL, m_infoLabel);
    dx->Control(IDC_BACKUP_DETAILS_LABEL, m_detailsLabel);
    dx->Control(IDC_BACKUP_LIST, m_list);
    dx->Control(IDC_BACKUP_PROGRESS, m_progress);
    dx->Control(IDC_BACKUP_CREATE, m_backupButton);
    dx->Control(IDC_BACKUP_RESTORE, m_restoreButton);
    dx->Control(IDC_BACKUP_DELETE, m_deleteButton);
}

BOOL CAdvanceOptions::OnInitDialog()
{
    CBitmapDialog::OnInitDialog();
    m_jobReports.AnnounceTo(m_hWnd, WM_JOB_STATUS);
    InitPage();
    MoveWindow(kPageX, kPageY, kPageWidth, kPageHeight, true);
    return TRUE;
}

void CAdvanceOptions::InitPage()
{
    SetBitmap(IDB_BACKUP_PAGE);
    SetTransparentStatics(1);
    m_restoreButton.SetSkin(IDB_BACKUP_RESTORE_NORMAL, IDB_BACKUP_RESTORE_NORMAL, IDB_BACKUP_RESTORE_HOVER, 0, 0, 0, 0,
                            0, 0);
    m_deleteButton.SetSkin(IDB_BACKUP_DELETE_NORMAL, IDB_BACKUP_DELETE_NORMAL, IDB_BACKUP_DELETE_HOVER, 0, 0, 0, 0, 0,
                           0);
    m_backupButton.SetSkin(IDB_BACKUP_CREATE_NORMAL, IDB_BACKUP_CREATE_NORMAL, IDB_BACKUP_CREATE_HOVER, 0, 0, 0, 0, 0,
                           0);
    m_progress.SetRange(0, 100);
    SetLabelTexts();
}

void CAdvanceOptions::SetLabelTexts()
{
    m_detailsLabel.SetText(CWinApp::LoadString(IDS_BACKUP_DETAILS));
    for (CLabel* label : {&m_infoLabel, &m_detailsLabel})
        label->SetFontName("Verdana", DEFAULT_CHARSET).SetFontSize(10).SetTransparent(true).SetTextColor(RGB(0, 0, 0));
}

void CAdvanceOptions::Refresh()
{
    FillBackupList();
}

void CAdvanceOptions::FillBackupList()
{
    m_list.DeleteAllItems();
    while (m_list.DeleteColumn(0))
        ;
    m_backups.clear();
    m_list.SetExtendedStyle(LVS_EX_FULLROWSELECT);
    EnumerateBackups();
    m_list.SetNotifyWindow(m_hWnd);
    m_list.InsertBackupColumns();
    ShowBackupRows();
}

void CAdvanceOptions::EnumerateBackups()
{
    m_backups = BackupList::Enumerate(BackupFolder::MachineFolder());
}

void CAdvanceOptions::ShowBackupRows()
{
    for (size_t i = 0; i < m_backups.size(); ++i)
    {
        const int row = m_list.InsertItem(static_cast<int>(i), m_backups[i].title);
        if (row < 0)
            continue;
        m_list.SetItemText(row, 1, m_backups[i].dateText);
        m_list.SetItemData(row, static_cast<LPARAM>(i));
    }
}

CAbstractProcess* CAdvanceOptions::EngineProcess() const
{
    return m_pProcess ? m_pProcess : ProgramShell().JobObject();
}

const BackupEntry* CAdvanceOptions::SelectedEntry() const
{
    if (m_list.GetItemCount() == 0)
        return nullptr;
    const int row = m_list.GetSelectedItem();
    if (row < 0)
        return nullptr;
    const size_t index = static_cast<size_t>(m_list.GetItemData(row));
    return index < m_backups.size() ? &m_backups[index] : nullptr;
}

void CAdvanceOptions::ShowMessage(const char* text) const
{
    MessageBox(text, nullptr, MB_ICONINFORMATION);
}

void CAdvanceOptions::EnableJobButtons(bool enable)
{
    m_backupButton.EnableWindow(enable);
    m_restoreButton.EnableWindow(enable);
    m_deleteButton.EnableWindow(enable);
}

void CAdvanceOptions::OnBackup()
{
    CAbstractProcess* process = EngineProcess();
    if (!process)
        return;
    if (TrackedJobObject::IsJobRunning(process))
    {
        ShowMessage("Please stop other active operation before starting registry backup.");
        return;
    }
    EnableJobButtons(false);
    m_nRestoreIndex = -1;
    m_restorePath.clear();
    ClearJobReports();
    if (process->StartFullBackup("C:\\", this) < 0)
    {
        EnableJobButtons(true);
        ShowMessage("The registry backup could not be started.");
        return;
    }
    process->Resume();
}

void CAdvanceOptions::OnRestore()
{
    const BackupEntry* entry = SelectedEntry();
    if (entry && IsStillThere(*entry))
    {
        m_nRestoreIndex = m_list.GetSelectedItem();
        StartRestoreJob(entry->path);
    }
    FillBackupList();
}

bool CAdvanceOptions::IsStillThere(const BackupEntry& entry) const
{
    if (FileExists(entry.path))
        return true;
    ShowMessage("The selected backup file no longer exists. The list has been reloaded.");
    return false;
}

void CAdvanceOptions::StartRestoreJob(const std::string& path)
{
    CAbstractProcess* process = EngineProcess();
    if (!process)
    {
        m_nRestoreIndex = -1;
        return;
    }
    if (TrackedJobObject::IsJobRunning(process))
    {
        ShowMessage("Please stop other active operation before starting registry restore.");
        m_nRestoreIndex = -1;
        return;
    }
    EnableJobButtons(false);
    m_restorePath = path;
    ClearJobReports();
    if (process->StartRestore(path.c_str(), this) < 0)
    {
        m_nRestoreIndex = -1;
        m_restorePath.clear();
        EnableJobButtons(true);
        ShowMessage("The registry restore could not be started.");
        return;
    }
    process->Resume();
}

void CAdvanceOptions::OnDelete()
{
    const BackupEntry* entry = SelectedEntry();
    if (entry && IsStillThere(*entry))
        DeleteBackupFile(entry->path);
    FillBackupList();
}

int CAdvanceOptions::DeleteBackupFile(const std::string& path)
{
    if (::DeleteFileA(path.c_str()))
        return 1;
    ::MoveFileExA(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    return 0;
}

LRESULT CAdvanceOptions::OnBackupFinished()
{
    TakeJobReports();
    const int result = m_jobReports.Result();
    const bool restored = m_nRestoreIndex >= 0;
    // The file restored is consumed; a failed restore keeps it for another try.
    if (result == kJobSuccess && restored && !m_restorePath.empty())
        DeleteBackupFile(m_restorePath);
    EnableJobButtons(true);
    FillBackupList();
    m_nRestoreIndex = -1;
    m_restorePath.clear();
    const ToldByJob told = std::move(m_told);
    m_told = ToldByJob();
    ShowJobOutcome(result, restored, told);
    return 1;
}

void CAdvanceOptions::ShowJobOutcome(int result, bool restored, const ToldByJob& reports) const
{
    // Shown here, by the window thread and owned by the main window: a box
    // of the job thread would belong to no window and keep the job running
    // until someone found and answered it.
    for (const std::string& message : reports.messages)
        MessageBox(message.c_str(), nullptr, MB_OK);
    if (result == kJobSuccess)
        ShowMessage(restored ? "Backup successfully restored." : "Backup successfully created.");
    else if (restored && reports.notRestoredCount)
        ShowMessage(PartlyRestoredText(reports.notRestored, reports.notRestoredCount).c_str());
    else if (restored)
        ShowMessage("The registry restore failed. The backup file was kept.");
    else
        ShowMessage("The registry backup failed. Please check that the program's folder can be written to.");
}

void CAdvanceOptions::ClearJobReports()
{
    m_told = ToldByJob();
    m_jobReports.Restart();
}

void CAdvanceOptions::TakeJobReports()
{
    JobReports::Taken taken;
    m_jobReports.Take(taken);
    if (taken.progressChanged && m_progress.GetSafeHwnd())
        m_progress.SetPos(taken.progress);
    for (const JobReports::Report& report : taken.reports)
    {
        if (report.code == kStatusCodeMessage)
        {
            m_told.messages.push_back(report.text);
            continue;
        }
        if (m_told.notRestored.size() < kNotRestoredShown)
            m_told.notRestored.push_back(report.text);
        ++m_told.notRestoredCount;
    }
}

void CAdvanceOptions::SetStatusText(const char* text, const char* code)
{
    if (!text || !code)
        return;
    const std::string status = code;
    // Only the job's messages and the keys a restore could not write are
    // shown, at its end.
    if (status == kStatusCodeMessage || status == kStatusCodeNotRestored)
        m_jobReports.SetStatus(text, status, true);
}

void CAdvanceOptions::OnProgress(int state)
{
    switch (state)
    {
    case 0:
        m_progressStep = m_nRestoreIndex < 0 ? kFullBackupStep : 1;
        m_jobReports.SetProgress(m_nRestoreIndex < 0 ? kFullBackupStart : 0);
        break;
    case 1: m_jobReports.StepProgress(m_progressStep); break;
    case 2: m_jobReports.SetProgress(JobReports::kFullProgress); break;
    default: break;
    }
}

void CAdvanceOptions::OnItemFound(const char*, DWORD, int, int) {}

int CAdvanceOptions::OnJobFinished(int result)
{
    m_jobReports.SetEnd(result);
    PostMessage(WM_BACKUP_DONE, 0, 0);
    return 1;
}

int CAdvanceOptions::OnDefragResult(int)
{
    return 1;
}

BOOL CAdvanceOptions::OnCommand(WPARAM wParam, LPARAM lParam)
{
    if (HIWORD(wParam) == BN_CLICKED)
        switch (LOWORD(wParam))
        {
        case IDC_BACKUP_CREATE: OnBackup(); return TRUE;
        case IDC_BACKUP_RESTORE: OnRestore(); return TRUE;
        case IDC_BACKUP_DELETE: OnDelete(); return TRUE;
        default: break;
        }
    return CBitmapDialog::OnCommand(wParam, lParam);
}

LRESULT CAdvanceOptions::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message)
    {
    case WM_BACKUP_DONE: return OnBackupFinished();
    case WM_JOB_STATUS: TakeJobReports(); return 0;
    case WM_LISTCHECK: return 0;
    default: return CBitmapDialog::WindowProc(message, wParam, lParam);
    }
}

HBRUSH CAdvanceOptions::OnCtlColor(HDC dc, HWND control, UINT controlType)
{
    if (control == m_hWnd || controlType == CTLCOLOR_DLG)
        return m_whiteBrush.Get();
    return CBitmapDialog::OnCtlColor(dc, control, controlType);
}
