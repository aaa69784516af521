#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "Client/Controls/CBitmapDialog.h"
#include "Client/Controls/CLabel.h"
#include "Client/Controls/CxSkinButton.h"
#include "Client/Pages/TaskReader.h"
#include "Framework/CBitmap.h"
#include "Framework/CBrush.h"
#include "Framework/CComboBox.h"
#include "Framework/CDateTimeCtrl.h"

class CTask;

// The settings page of the main window: the program's options as check
// boxes on the General tab, the scheduled scan on the Schedule tab, and the
// way to the ignore-list page. The check boxes are the settings store's
// words; the scheduled scan and the scan at log-on are Task Scheduler work
// items. Showing the page reads both on a worker (TaskReader), and the
// controls that show them stay unusable until that read has arrived; what the
// user changes is made, read back and deleted here on the window thread.
class CSettingDlg : public CBitmapDialog
{
public:
    enum Tab
    {
        kTabGeneral = 1,
        kTabSummary = 2,
        kTabSchedule = 3,
        kTabIgnoreList = 4
    };

    explicit CSettingDlg(CWnd* parent = nullptr);
    ~CSettingDlg() override;

    // What showing the page does: the General tab, the check boxes from the
    // settings, and the read of both work items begun.
    void Refresh();
    void ShowTab(int tab);
    int GetTab() const { return m_tab; }

    void LoadChecks();
    // False when the settings could not be stored; they hold for this run.
    bool ApplySettings();
    // Stores the check boxes; tellFailure: a store that failed is told
    // (the user clicked), else it stays silent.
    void OnApply(bool tellFailure);

    // The job operations; TRUE when the Task Scheduler did what was asked.
    BOOL CreateScheduledScanTask(BOOL useDefault);
    // Reads the scheduled scan here and shows it.
    BOOL LoadScheduledScanTask();
    // Show what was read, wherever it was read.
    BOOL LoadScheduledScanTask(const TaskReading& reading);
    BOOL DeleteScheduledScanTask();
    BOOL CreateLogonScanTask();
    BOOL LoadLogonScanTask(const TaskReading& reading);
    BOOL DeleteLogonScanTask();
    void OnLogonScanCheck();

    // The work items' names for the user who runs the program; empty when
    // the user name cannot be had.
    static std::string ScheduledScanTaskName();
    static std::string LogonScanTaskName();

    // Runs the main window's update check (the update button).
    void SetUpdateCheck(std::function<void()> check) { m_updateCheck = std::move(check); }

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    BOOL OnEraseBkgnd(HDC dc) override;
    HBRUSH OnCtlColor(HDC dc, HWND control, UINT controlType) override;
    BOOL OnSetCursor(HWND window, UINT hitTest, UINT message) override;
    void OnShowWindow(BOOL show, UINT status) override;
    void OnDestroy() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    // The read of both work items that showing the page starts, and its
    // arrival on the window thread.
    void StartTaskRead();
    void OnTasksRead(WPARAM read);
    bool IsTaskReadPending() const { return m_taskReader.IsReading(); }
    // The controls whose state comes from the read.
    void EnableTaskControls(bool enable);
    void UpdateScheduleControls();
    void UpdateDayCombo();
    void OnDisableSchedule();
    void OnScheduleControlLeft();
    void HideSavedLabel();
    bool ClickBoxOfCaption(int captionId);
    void ShowGroup(unsigned groupBit, bool show);
    void SwitchGroups(unsigned shownGroup);
    void SetMainCaptions(const char* caption, const char* step);
    // The fields every work item of the program shares; FALSE without a
    // user name.
    BOOL FillTaskFields(CTask& task, const char* parameters, UINT commentId) const;
    // Keeps the answer of the last Task Scheduler call for the failure
    // message; TRUE on success.
    BOOL Remember(HRESULT result);
    bool LastFailureWasNotFound() const;
    // Tells the user once about a Task Scheduler that does not answer; the
    // same failure again says nothing until a call has worked.
    void ReportTaskFailure();
    static std::string DescribeTaskFailure(HRESULT result);

    CxSkinButton m_tabGeneral;
    CxSkinButton m_tabSchedule;
    CxSkinButton m_tabIgnoreList;
    CxSkinButton m_checkUpdate;
    CLabel m_savedLabel;
    CLabel m_descriptionLabel;
    CComboBox m_scheduleType;
    CComboBox m_scheduleDay;
    CDateTimeCtrl m_scheduleTime;

    int m_tab = kTabGeneral;
    // Shown at least once: only then can the boxes differ from the stored
    // options, which leaving the program stores.
    bool m_shown = false;
    CBitmap m_tabBitmap;
    CBrush m_whiteBrush;
    SYSTEMTIME m_startTime;
    // A first run would create the default weekly job; nothing sets it.
    int m_defaultJobPending = 0;

    HRESULT m_lastTaskResult = S_OK;
    HRESULT m_reportedFailure = S_OK;
    bool m_inTaskOperation = false;
    TaskReader m_taskReader;
    std::function<void()> m_updateCheck;
};
