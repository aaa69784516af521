#include "Client/Pages/CSettingDlg.h"

#include <commctrl.h>

#include "Client/Pages/CTask.h"
#include "Client/Shell/PageShell.h"
#include "Client/Shell/ProgramMessages.h"
#include "Client/Shell/SettingsStore.h"
#include "Client/res/SettingsResource.h"
#include "Client/res/ShellResource.h"
#include "Framework/AnsiText.h"
#include "Framework/CDataExchange.h"
#include "Framework/CWinApp.h"
#include "Framework/CMemoryDC.h"
#include "Framework/ModulePath.h"

namespace
{
// Which tabs show a control: bit 1 General, 2 the summary tab, 4 Schedule.
constexpr unsigned kGeneral = 1;
constexpr unsigned kSummary = 2;
constexpr unsigned kSchedule = 4;

struct TabControl
{
    int id;
    int caption;  // 0: none
    unsigned tabs;
};
// The Explorer-menu box and the Apply button are on the General tab too:
// the summary tab has no button of its own, and without them a user could
// neither reach that box nor apply the options on the spot.
const TabControl kTabControls[] = {
    {IDC_LOGON_SCAN, IDC_LOGON_SCAN_CAPTION, kGeneral},
    {IDC_AUTO_CLOSE, IDC_AUTO_CLOSE_CAPTION, kGeneral},
    {IDC_AUTO_REPAIR, IDC_AUTO_REPAIR_CAPTION, kGeneral | kSummary},
    {IDC_CONTEXT_MENU, IDC_CONTEXT_MENU_CAPTION, kGeneral | kSummary},
    {IDC_RESTORE_POINT, IDC_RESTORE_POINT_CAPTION, kGeneral | kSummary},
    {IDC_LOG_SUMMARY, IDC_LOG_SUMMARY_CAPTION, kSummary},
    {IDC_SOFTWARE_UPDATE, IDC_SOFTWARE_UPDATE_CAPTION, kGeneral},
    {IDC_SHUTDOWN, IDC_SHUTDOWN_CAPTION, kGeneral},
    {IDC_RESTART, IDC_RESTART_CAPTION, kGeneral},
    {IDC_APPLY, 0, kGeneral | kSummary},
    {IDC_DISABLE_SCHEDULE, IDC_DISABLE_SCHEDULE_CAPTION, kSchedule},
    {IDC_SCHEDULE_TYPE, IDC_SCHEDULE_TYPE_CAPTION, kSchedule},
    {IDC_SCHEDULE_DAY, IDC_SCHEDULE_DAY_CAPTION, kSchedule},
    {IDC_SCHEDULE_TIME, IDC_SCHEDULE_TIME_CAPTION, kSchedule},
    {IDC_SCHEDULE_DESCRIPTION, 0, kSchedule},
};

// The check boxes that are settings words.
struct SettingCheck
{
    int id;
    int SettingsRecord::*word;
};
const SettingCheck kSettingChecks[] = {
    {IDC_AUTO_CLOSE, &SettingsRecord::autoShutdown},
    {IDC_AUTO_REPAIR, &SettingsRecord::autoRepair},
    {IDC_CONTEXT_MENU, &SettingsRecord::contextMenu},
    {IDC_RESTORE_POINT, &SettingsRecord::restorePoint},
    {IDC_LOG_SUMMARY, &SettingsRecord::logScanSummary},
    {IDC_SOFTWARE_UPDATE, &SettingsRecord::softwareUpdate},
    {IDC_SHUTDOWN, &SettingsRecord::autoShutdownSystem},
    {IDC_RESTART, &SettingsRecord::autoRestartSystem},
};

const char* const kScheduleTypes[] = {"Daily", "Weekly"};
const char* const kWeekdays[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
constexpr int kWeeklyIndex = 1;

const char* const kScheduleParameters = "SCHEDULE";
const char* const kLogonParameters = "STARTSCAN";

// A read still under way when the page goes is waited for this long, so that
// the usual one ends with the page; a slower one goes on alone.
constexpr DWORD kTaskReadEndWaitMs = 1000;

// Where the page lies in the main window, and its tab panel on the page.
constexpr int kPageLeft = 183, kPageTop = 62, kPageWidth = 509, kPageHeight = 332;
constexpr int kPanelLeft = 12, kPanelTop = 36;

std::string CurrentUserName()
{
    char name[1024] = "";
    DWORD size = sizeof(name);
    if (!::GetUserNameA(name, &size))
        return std::string();
    return name;
}

// The program's folder, up to and including its last backslash.
std::string FolderOf(const std::string& path)
{
    const size_t slash = path.find_last_of('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

void SetComboItems(CComboBox& combo, const char* const* items, int count)
{
    combo.ResetContent();
    for (int i = 0; i < count; ++i)
        combo.AddString(items[i]);
}
}

CSettingDlg::CSettingDlg(CWnd* parent) : CBitmapDialog(IDD_SETTINGS, parent)
{
    m_whiteBrush.CreateSolidBrush(RGB(255, 255, 255));
    ::GetLocalTime(&m_startTime);
}

CSettingDlg::~CSettingDlg() = default;

void CSettingDlg::DoDataExchange(CDataExchange* dx)
{
    CBitmapDialog::DoDataExchange(dx);
    dx->Control(IDC_TAB_GENERAL, m_tabGeneral);
    dx->Control(IDC_TAB_SCHEDULE, m_tabSchedule);
    dx->Control(IDC_TAB_IGNORE_LIST, m_tabIgnoreList);
    dx->Control(IDC_CHECK_UPDATE, m_checkUpdate);
    dx->Control(IDC_SAVED_LABEL, m_savedLabel);
    dx->Control(IDC_SCHEDULE_DESCRIPTION, m_descriptionLabel);
    dx->Control(IDC_SCHEDULE_TYPE, m_scheduleType);
    dx->Control(IDC_SCHEDULE_DAY, m_scheduleDay);
    dx->Control(IDC_SCHEDULE_TIME, m_scheduleTime);
    dx->DateTime(IDC_SCHEDULE_TIME, m_startTime);
}

BOOL CSettingDlg::OnInitDialog()
{
    CBitmapDialog::OnInitDialog();
    SetBitmap(IDB_SETTINGS_BACKGROUND);
    m_tabGeneral.SetSkin(IDB_TAB_GENERAL, IDB_TAB_GENERAL, 0, IDB_TAB_GENERAL_DISABLED, 0, 0, 0, 0, 0);
    m_tabSchedule.SetSkin(IDB_TAB_SCHEDULE, IDB_TAB_SCHEDULE, 0, IDB_TAB_SCHEDULE_DISABLED, 0, 0, 0, 0, 0);
    m_tabIgnoreList.SetSkin(IDB_TAB_IGNORE_LIST, IDB_TAB_IGNORE_LIST, 0, IDB_TAB_IGNORE_LIST_DISABLED, 0, 0, 0, 0,
                            0);
    m_checkUpdate.SetSkin(IDB_CHECK_UPDATE, IDB_CHECK_UPDATE_PRESSED, IDB_CHECK_UPDATE_PRESSED, 0, 0, 0, 0, 0, 0);
    m_savedLabel.SetFontName("Arial").SetFontSize(12).SetTransparent(true).SetTextColor(0xBF3700);
    m_descriptionLabel.SetFontName("Arial").SetFontSize(9).SetTransparent(true);
    SetComboItems(m_scheduleType, kScheduleTypes, 2);
    SetComboItems(m_scheduleDay, kWeekdays, 7);
    m_scheduleTime.SetFormat("HH:mm");
    // No schedule until the Task Scheduler says there is one, also when it
    // cannot be asked.
    CheckDlgButton(IDC_DISABLE_SCHEDULE, BST_CHECKED);
    m_scheduleType.SetCurSel(0);
    m_scheduleDay.SetCurSel(0);
    // Grey until the first read has arrived.
    EnableTaskControls(false);
    // The stored options from the start: leaving the page, or the program,
    // stores the boxes, also before the page was ever shown.
    LoadChecks();
    SetWindowPos(nullptr, kPageLeft, kPageTop, kPageWidth, kPageHeight, SWP_NOZORDER | SWP_NOACTIVATE);
    return TRUE;
}

void CSettingDlg::Refresh()
{
    if (!IsWindow())
        return;
    m_shown = true;
    ShowTab(kTabGeneral);
    LoadChecks();
    HideSavedLabel();
    UpdateData(false);
    StartTaskRead();
}

void CSettingDlg::StartTaskRead()
{
    // Before the controls go grey: one that loses the focus by it must not
    // act on what it shows.
    m_taskReader.Start({LogonScanTaskName(), ScheduledScanTaskName(), ModulePath::FileName()}, m_hWnd,
                       WM_TASKS_READ);
    EnableTaskControls(false);
}

void CSettingDlg::OnTasksRead(WPARAM read)
{
    TaskReadings readings;
    if (!m_taskReader.Take(read, readings))
        return;
    EnableTaskControls(true);
    LoadLogonScanTask(readings.logon);
    const BOOL scheduled = LoadScheduledScanTask(readings.scheduled);
    if (!scheduled && ProgramShell().Settings().Record().firstRun == 1 && m_defaultJobPending)
    {
        m_defaultJobPending = 0;
        if (CreateScheduledScanTask(TRUE))
            LoadScheduledScanTask();
    }
}

void CSettingDlg::EnableTaskControls(bool enable)
{
    ::EnableWindow(GetDlgItem(IDC_LOGON_SCAN), enable);
    ::EnableWindow(GetDlgItem(IDC_DISABLE_SCHEDULE), enable);
    UpdateScheduleControls();
}

void CSettingDlg::ShowGroup(unsigned groupBit, bool show)
{
    for (const TabControl& control : kTabControls)
    {
        if (!(control.tabs & groupBit))
            continue;
        ::ShowWindow(GetDlgItem(control.id), show ? SW_SHOW : SW_HIDE);
        if (control.caption)
            ::ShowWindow(GetDlgItem(control.caption), show ? SW_SHOW : SW_HIDE);
    }
}

void CSettingDlg::SetMainCaptions(const char* caption, const char* step)
{
    const HWND main = GetParentHwnd();
    if (!main)
        return;
    const std::pair<int, const char*> texts[] = {{IDC_CAPTION_LABEL, caption}, {IDC_STEP_LABEL, step}};
    for (const auto& text : texts)
    {
        const HWND control = ::GetDlgItem(main, text.first);
        // Drawn with the page as the window gets to it, not all now.
        if (CLabel* label = dynamic_cast<CLabel*>(CWnd::FromHandle(control)))
            label->SetTextDrawnLater(text.second);
        else if (control)
            ::SetWindowTextA(control, text.second);
    }
}

void CSettingDlg::SwitchGroups(unsigned shownGroup)
{
    // Hiding a visible control makes the system erase the page under it at
    // once, a dozen times over on a switch; with the page's drawing held, it
    // is drawn once when the switch is through. A hidden page is left alone:
    // turning its drawing back on would show it.
    const bool drawn = (GetStyle() & WS_VISIBLE) != 0;
    if (drawn)
        SendMessage(WM_SETREDRAW, FALSE, 0);
    HideSavedLabel();
    ShowGroup(kGeneral | kSummary | kSchedule, false);
    if (shownGroup)
        ShowGroup(shownGroup, true);
    if (!drawn)
        return;
    SendMessage(WM_SETREDRAW, TRUE, 0);
    ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void CSettingDlg::ShowTab(int tab)
{
    m_tab = tab;
    m_tabBitmap.DeleteObject();
    for (CxSkinButton* button : {&m_tabGeneral, &m_tabSchedule, &m_tabIgnoreList})
        button->EnableWindow(true);

    unsigned group = 0;
    switch (tab)
    {
    case kTabGeneral:
        SetMainCaptions("SETTINGS - GENERAL", "");
        m_tabBitmap.LoadBitmap(IDB_GENERAL_PANEL);
        m_tabGeneral.EnableWindow(false);
        group = kGeneral;
        break;
    case kTabSummary: group = kSummary; break;
    case kTabSchedule:
        SetMainCaptions("SETTINGS - SCHEDULE", "");
        m_tabBitmap.LoadBitmap(IDB_SCHEDULE_PANEL);
        m_tabSchedule.EnableWindow(false);
        group = kSchedule;
        break;
    default: break;
    }
    SwitchGroups(group);
    if (tab == kTabIgnoreList)
        ProgramShell().ShowPage(kPageIgnoreList);
    Invalidate();
}

void CSettingDlg::LoadChecks()
{
    for (const SettingCheck& check : kSettingChecks)
        CheckDlgButton(check.id, ProgramShell().Settings().Record().*check.word ? BST_CHECKED : BST_UNCHECKED);
}

bool CSettingDlg::ApplySettings()
{
    for (const SettingCheck& check : kSettingChecks)
        ProgramShell().Settings().Record().*check.word = IsDlgButtonChecked(check.id) == BST_CHECKED ? 1 : 0;
    return ProgramShell().Settings().Save();
}

void CSettingDlg::OnApply(bool tellFailure)
{
    UpdateData(true);
    if (ApplySettings())
    {
        m_savedLabel.ShowWindow(SW_SHOW);
        return;
    }
    HideSavedLabel();
    // Leaving the page or the program stores the options too, also when a
    // scheduled scan moves on by itself: only a click waits for an answer.
    if (!tellFailure)
        return;
    const SettingsLocation& location = ProgramShell().Settings().Location();
    const std::string where = location.portable ? "to \"" + location.iniPath + "\"" : std::string("in the registry");
    MessageBox(("The settings could not be saved " + where + ". They apply until Quillomar closes.").c_str(), nullptr,
               MB_OK | MB_ICONWARNING);
}

void CSettingDlg::HideSavedLabel()
{
    m_savedLabel.ShowWindow(SW_HIDE);
}

void CSettingDlg::UpdateScheduleControls()
{
    const bool enabled = !IsTaskReadPending() && IsDlgButtonChecked(IDC_DISABLE_SCHEDULE) != BST_CHECKED;
    m_scheduleType.EnableWindow(enabled);
    m_scheduleDay.EnableWindow(enabled);
    m_scheduleTime.EnableWindow(enabled);
    UpdateDayCombo();
}

void CSettingDlg::UpdateDayCombo()
{
    if (IsTaskReadPending() || IsDlgButtonChecked(IDC_DISABLE_SCHEDULE) == BST_CHECKED)
        m_scheduleDay.EnableWindow(false);
    else
        m_scheduleDay.EnableWindow(m_scheduleType.GetCurSel() == kWeeklyIndex);
}

std::string CSettingDlg::ScheduledScanTaskName()
{
    const std::string user = CurrentUserName();
    return user.empty() ? user : AnsiText::Format("%s Scheduled Scan - %s", ProgramShell().ProductTitle(), user.c_str());
}

std::string CSettingDlg::LogonScanTaskName()
{
    const std::string user = CurrentUserName();
    return user.empty() ? user : AnsiText::Format("%s on user logon - %s", ProgramShell().ProductTitle(), user.c_str());
}

BOOL CSettingDlg::FillTaskFields(CTask& task, const char* parameters, UINT commentId) const
{
    const std::string user = CurrentUserName();
    if (user.empty())
        return FALSE;
    const std::string program = ModulePath::FileName();
    task.SetApplication(program);
    task.SetWorkingDirectory(FolderOf(program));
    task.SetParameters(parameters);
    task.SetComment(CWinApp::LoadString(commentId));
    task.SetAccount(user);
    return TRUE;
}

BOOL CSettingDlg::Remember(HRESULT result)
{
    m_lastTaskResult = result;
    if (SUCCEEDED(result))
        m_reportedFailure = S_OK;
    return SUCCEEDED(result);
}

bool CSettingDlg::LastFailureWasNotFound() const
{
    return CTask::IsNotFound(m_lastTaskResult);
}

BOOL CSettingDlg::CreateScheduledScanTask(BOOL useDefault)
{
    UpdateData(true);
    CTask task;
    const std::string name = ScheduledScanTaskName();
    if (name.empty() || !FillTaskFields(task, kScheduleParameters, IDS_SCHEDULE_SCAN))
        return Remember(E_FAIL);

    SYSTEMTIME now;
    ::GetLocalTime(&now);
    SYSTEMTIME start = {};
    start.wYear = now.wYear;
    start.wMonth = now.wMonth;
    start.wDay = now.wDay;
    if (useDefault)
    {
        start.wDayOfWeek = 0;
        start.wHour = 3;
        start.wMinute = 0;
        task.SetTriggerKind(CTask::kWeekly);
    }
    else
    {
        const int day = m_scheduleDay.GetCurSel();
        start.wDayOfWeek = static_cast<WORD>(day >= 0 && day <= 6 ? day : 0);
        start.wHour = m_startTime.wHour;
        start.wMinute = m_startTime.wMinute;
        task.SetTriggerKind(m_scheduleType.GetCurSel() == kWeeklyIndex ? CTask::kWeekly : CTask::kDaily);
    }
    task.SetStartTime(start);
    return Remember(task.Save(name.c_str()));
}

BOOL CSettingDlg::CreateLogonScanTask()
{
    CTask task;
    const std::string name = LogonScanTaskName();
    if (name.empty() || !FillTaskFields(task, kLogonParameters, IDS_SCAN_ON_LOGON))
        return Remember(E_FAIL);
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    task.SetStartTime(now);
    task.SetTriggerKind(CTask::kAtLogon);
    return Remember(task.Save(name.c_str()));
}

BOOL CSettingDlg::LoadScheduledScanTask()
{
    return LoadScheduledScanTask(TaskReader::ReadScheduledScan(ScheduledScanTaskName(), ModulePath::FileName()));
}

BOOL CSettingDlg::LoadScheduledScanTask(const TaskReading& reading)
{
    Remember(reading.result);
    // A read that could not be made says nothing about the work item: the
    // controls stay as they were.
    if (reading.named && FAILED(reading.result) && !CTask::IsNotFound(reading.result))
        return FALSE;

    int disabled = BST_CHECKED;
    int typeIndex = 0;
    int dayIndex = 0;
    ::GetLocalTime(&m_startTime);
    std::string description;
    const BOOL found = SUCCEEDED(reading.result) && reading.ours;
    if (found)
    {
        disabled = BST_UNCHECKED;
        description = reading.description;
        if (reading.hasStart)
        {
            m_startTime.wHour = reading.start.wHour;
            m_startTime.wMinute = reading.start.wMinute;
            m_startTime.wSecond = 0;
            m_startTime.wMilliseconds = 0;
        }
        if (reading.kind == CTask::kWeekly)
        {
            typeIndex = kWeeklyIndex;
            dayIndex = reading.hasStart ? reading.start.wDayOfWeek : 0;
        }
    }
    m_descriptionLabel.SetText(description);
    CheckDlgButton(IDC_DISABLE_SCHEDULE, disabled);
    m_scheduleType.SetCurSel(typeIndex);
    m_scheduleDay.SetCurSel(dayIndex);
    UpdateScheduleControls();
    UpdateData(false);
    return found;
}

BOOL CSettingDlg::LoadLogonScanTask(const TaskReading& reading)
{
    if (!reading.named)
        return Remember(E_FAIL);
    Remember(reading.result);
    if (SUCCEEDED(reading.result))
    {
        // A log-on scan of a copy of the program in another folder is gone
        // with the read.
        CheckDlgButton(IDC_LOGON_SCAN, reading.ours ? BST_CHECKED : BST_UNCHECKED);
        return reading.ours;
    }
    // Only a work item that is not there is absent; the box keeps its state
    // when the Task Scheduler could not be read.
    if (CTask::IsNotFound(reading.result))
        CheckDlgButton(IDC_LOGON_SCAN, BST_UNCHECKED);
    return FALSE;
}

BOOL CSettingDlg::DeleteScheduledScanTask()
{
    const std::string name = ScheduledScanTaskName();
    CTask task;
    if (!Remember(name.empty() ? E_FAIL : task.Delete(name.c_str())))
        return FALSE;
    m_descriptionLabel.SetText("");
    return TRUE;
}

BOOL CSettingDlg::DeleteLogonScanTask()
{
    const std::string name = LogonScanTaskName();
    CTask task;
    return Remember(name.empty() ? E_FAIL : task.Delete(name.c_str()));
}

void CSettingDlg::OnLogonScanCheck()
{
    const bool wanted = IsDlgButtonChecked(IDC_LOGON_SCAN) == BST_CHECKED;
    const BOOL done = wanted ? CreateLogonScanTask() : (DeleteLogonScanTask() || LastFailureWasNotFound());
    if (done)
        return;
    CheckDlgButton(IDC_LOGON_SCAN, wanted ? BST_UNCHECKED : BST_CHECKED);
    ReportTaskFailure();
}

void CSettingDlg::OnDisableSchedule()
{
    if (IsDlgButtonChecked(IDC_DISABLE_SCHEDULE) == BST_CHECKED)
    {
        // A job that is already gone is as good as deleted.
        if (DeleteScheduledScanTask() || LastFailureWasNotFound())
        {
            m_descriptionLabel.SetText("");
        }
        else
        {
            CheckDlgButton(IDC_DISABLE_SCHEDULE, BST_UNCHECKED);
            ReportTaskFailure();
        }
    }
    else if (CreateScheduledScanTask(TRUE))
    {
        LoadScheduledScanTask();
    }
    else
    {
        CheckDlgButton(IDC_DISABLE_SCHEDULE, BST_CHECKED);
        ReportTaskFailure();
    }
    HideSavedLabel();
    UpdateScheduleControls();
}

void CSettingDlg::OnScheduleControlLeft()
{
    // Until the read has arrived the controls show no schedule of the user's.
    if (IsTaskReadPending() || IsDlgButtonChecked(IDC_DISABLE_SCHEDULE) == BST_CHECKED)
        return;
    if (CreateScheduledScanTask(FALSE))
    {
        LoadScheduledScanTask();
        return;
    }
    ReportTaskFailure();
    // What the Task Scheduler still holds, where it can be read.
    LoadScheduledScanTask();
}

std::string CSettingDlg::DescribeTaskFailure(HRESULT result)
{
    if (result == SCHED_E_SERVICE_NOT_RUNNING)
        return "The Task Scheduler service is not running, so the scheduled scans cannot be changed.\n"
               "Start the Task Scheduler service and try again.";
    if (result == E_ACCESSDENIED)
        return "The Task Scheduler denied access, so the scheduled scans were not changed.";
    return AnsiText::Format("The Task Scheduler could not change the scheduled scans (error 0x%08lX).",
                            static_cast<unsigned long>(result));
}

void CSettingDlg::ReportTaskFailure()
{
    if (SUCCEEDED(m_lastTaskResult) || m_lastTaskResult == m_reportedFailure)
        return;
    m_reportedFailure = m_lastTaskResult;
    MessageBox(DescribeTaskFailure(m_lastTaskResult).c_str(), nullptr, MB_OK | MB_ICONWARNING);
}

// A click on a check box's caption is a click on the box, as with a
// check box that carries its own text.
bool CSettingDlg::ClickBoxOfCaption(int captionId)
{
    for (const TabControl& control : kTabControls)
    {
        if (control.caption != captionId || !control.caption)
            continue;
        const HWND box = GetDlgItem(control.id);
        char className[16] = "";
        ::GetClassNameA(box, className, sizeof(className));
        if (lstrcmpiA(className, "Button") == 0 && ::IsWindowVisible(box) && ::IsWindowEnabled(box))
            ::SendMessageA(box, BM_CLICK, 0, 0);
        return true;
    }
    return false;
}

BOOL CSettingDlg::OnCommand(WPARAM wParam, LPARAM lParam)
{
    const int id = LOWORD(wParam);
    const int code = HIWORD(wParam);
    if (code == STN_CLICKED && ClickBoxOfCaption(id))
        return TRUE;
    if ((id == IDC_SCHEDULE_TYPE || id == IDC_SCHEDULE_DAY) && code == CBN_KILLFOCUS)
    {
        // Leaving a schedule control puts the schedule into effect; a
        // message box about it takes the focus too, and is not asked again.
        if (!m_inTaskOperation)
        {
            m_inTaskOperation = true;
            OnScheduleControlLeft();
            m_inTaskOperation = false;
        }
        return TRUE;
    }
    if (id == IDC_SCHEDULE_TYPE && code == CBN_SELCHANGE)
    {
        UpdateDayCombo();
        return TRUE;
    }
    if (code != BN_CLICKED)
        return CBitmapDialog::OnCommand(wParam, lParam);
    // A click that reached a grey box: nothing to act on until the read has
    // arrived, which sets the box.
    if ((id == IDC_LOGON_SCAN || id == IDC_DISABLE_SCHEDULE) && IsTaskReadPending())
        return TRUE;
    switch (id)
    {
    case IDC_APPLY: OnApply(true); return TRUE;
    case IDC_DISABLE_SCHEDULE: OnDisableSchedule(); return TRUE;
    case IDC_LOGON_SCAN:
        OnLogonScanCheck();
        HideSavedLabel();
        return TRUE;
    case IDC_AUTO_CLOSE:
    case IDC_POPUP_ALERTS:
    case IDC_SOFTWARE_UPDATE:
    case IDC_LOG_SUMMARY:
    case IDC_CONTEXT_MENU:
    case IDC_RESTORE_POINT:
    case IDC_AUTO_REPAIR: HideSavedLabel(); return TRUE;
    case IDC_SHUTDOWN:
        CheckDlgButton(IDC_RESTART, BST_UNCHECKED);
        HideSavedLabel();
        return TRUE;
    case IDC_RESTART:
        CheckDlgButton(IDC_SHUTDOWN, BST_UNCHECKED);
        HideSavedLabel();
        return TRUE;
    case IDC_TAB_GENERAL: ShowTab(kTabGeneral); return TRUE;
    case IDC_TAB_SCHEDULE:
        OnApply(true);
        ShowTab(kTabSchedule);
        return TRUE;
    case IDC_TAB_IGNORE_LIST: ShowTab(kTabIgnoreList); return TRUE;
    case IDC_CHECK_UPDATE:
        if (m_updateCheck)
            m_updateCheck();
        return TRUE;
    default: return CBitmapDialog::OnCommand(wParam, lParam);
    }
}

BOOL CSettingDlg::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
    if (header && header->idFrom == IDC_SCHEDULE_TIME && header->code == static_cast<UINT>(NM_KILLFOCUS))
    {
        if (!m_inTaskOperation)
        {
            m_inTaskOperation = true;
            OnScheduleControlLeft();
            m_inTaskOperation = false;
        }
        *result = 0;
        return TRUE;
    }
    return CBitmapDialog::OnNotify(wParam, lParam, result);
}

BOOL CSettingDlg::OnEraseBkgnd(HDC dc)
{
    const BOOL erased = CBitmapDialog::OnEraseBkgnd(dc);
    if (m_tabBitmap.IsValid())
    {
        const SIZE size = m_tabBitmap.GetSize();
        CMemoryDC memory(dc);
        memory.Select(m_tabBitmap);
        ::BitBlt(dc, kPanelLeft, kPanelTop, size.cx, size.cy, memory, 0, 0, SRCCOPY);
    }
    return erased;
}

HBRUSH CSettingDlg::OnCtlColor(HDC dc, HWND control, UINT controlType)
{
    if (control == m_hWnd)
        return m_whiteBrush;
    return CBitmapDialog::OnCtlColor(dc, control, controlType);
}

BOOL CSettingDlg::OnSetCursor(HWND window, UINT hitTest, UINT message)
{
    const bool overTab = window == m_tabGeneral.GetSafeHwnd() || window == m_tabSchedule.GetSafeHwnd() ||
                         window == m_tabIgnoreList.GetSafeHwnd();
    if (overTab && ProgramShell().HandCursor())
    {
        ::SetCursor(ProgramShell().HandCursor());
        return TRUE;
    }
    return CBitmapDialog::OnSetCursor(window, hitTest, message);
}

void CSettingDlg::OnShowWindow(BOOL show, UINT status)
{
    CBitmapDialog::OnShowWindow(show, status);
    // Leaving the page stores the options.
    if (!show && status == 0)
        OnApply(false);
}

void CSettingDlg::OnDestroy()
{
    // Nothing is posted to the page from here on.
    m_taskReader.Stop(kTaskReadEndWaitMs);
    CBitmapDialog::OnDestroy();
    // A page made while the window was idle and never shown holds the stored
    // options: writing them would only rewrite the file.
    if (m_shown)
        OnApply(false);
}

LRESULT CSettingDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_TASKS_READ)
    {
        OnTasksRead(wParam);
        return 0;
    }
    return CBitmapDialog::WindowProc(message, wParam, lParam);
}
