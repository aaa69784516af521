// The settings page inside the main window of this process, driven from a
// second thread as a user would: its tabs and captions, the options through
// the INI file, and the scheduled and log-on scans as real work items of
// the prefix's Task Scheduler, each read back here apart from the page.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "Client/Pages/CTask.h"
#include "Client/Shell/CRegClientApp.h"
#include "Client/Shell/CRegClientDlg.h"
#include "Client/Shell/ProgramMessages.h"
#include "Client/res/SettingsResource.h"
#include "Client/res/ShellResource.h"
#include "Framework/AnsiText.h"
#include "TaskSchedulerProbe.h"
#include "support/ProgramDriver.h"
#include "support/TestRegistry.h"

CRegClientApp theApp;

namespace
{
namespace Probe = TaskSchedulerProbe;

// Sent from the driving thread and handled before it returns; a message box
// that the message opens is read into a failure and answered, so that the
// test goes on instead of waiting behind it.
LRESULT Send(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0)
{
    LRESULT result = 0;
    ProgramDriver::SendAndAnswerBoxes(window, message, wParam, lParam,
                                      "message " + std::to_string(message) + " to control " +
                                          std::to_string(::GetDlgCtrlID(window)),
                                      30000, &result);
    return result;
}

bool Visible(HWND page, int id)
{
    return ::IsWindowVisible(::GetDlgItem(page, id)) != FALSE;
}

bool Enabled(HWND page, int id)
{
    return ::IsWindowEnabled(::GetDlgItem(page, id)) != FALSE;
}

bool Checked(HWND page, int id)
{
    return Send(::GetDlgItem(page, id), BM_GETCHECK) == BST_CHECKED;
}

// A click on a control the user can see and use, handled before it returns;
// a message box it opens is read into a failure and answered.
void Click(HWND dialog, int id)
{
    const HWND control = ::GetDlgItem(dialog, id);
    ASSERT_TRUE(::IsWindowVisible(control) && ::IsWindowEnabled(control)) << "control " << id << " is not usable";
    Send(control, BM_CLICK);
}

// A click on the text beside a check box, posted as the mouse would; true
// once the box changed.
bool ClickCaption(HWND page, int captionId, int boxId)
{
    const bool before = Checked(page, boxId);
    ProgramDriver::ClickAt(::GetDlgItem(page, captionId), POINT{4, 4});
    for (int i = 0; i < 100 && Checked(page, boxId) == before; ++i)
        ::Sleep(50);
    return Checked(page, boxId) != before;
}

int Selection(HWND page, int id)
{
    return static_cast<int>(Send(::GetDlgItem(page, id), CB_GETCURSEL));
}

// Picks an item of a drop-down list and leaves it, as the keyboard would.
void Choose(HWND page, int id, int index)
{
    Send(::GetDlgItem(page, id), CB_SETCURSEL, index);
    Send(page, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(::GetDlgItem(page, id)));
}

void Leave(HWND page, int id)
{
    if (id == IDC_SCHEDULE_TIME)
    {
        NMHDR header = {::GetDlgItem(page, id), static_cast<UINT_PTR>(id), static_cast<UINT>(NM_KILLFOCUS)};
        Send(page, WM_NOTIFY, id, reinterpret_cast<LPARAM>(&header));
        return;
    }
    Send(page, WM_COMMAND, MAKEWPARAM(id, CBN_KILLFOCUS), reinterpret_cast<LPARAM>(::GetDlgItem(page, id)));
}

void SetPickerTime(HWND page, WORD hour, WORD minute)
{
    SYSTEMTIME time;
    ::GetLocalTime(&time);
    time.wHour = hour;
    time.wMinute = minute;
    time.wSecond = 0;
    Send(::GetDlgItem(page, IDC_SCHEDULE_TIME), DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&time));
}

SYSTEMTIME PickerTime(HWND page)
{
    SYSTEMTIME time = {};
    Send(::GetDlgItem(page, IDC_SCHEDULE_TIME), DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&time));
    return time;
}

// Showing the page reads its work items on a worker; the controls that show
// them are usable once that read has arrived.
void WaitForTaskRead(HWND page)
{
    EXPECT_TRUE(ProgramDriver::WaitFor(30000, [page] {
        return Enabled(page, IDC_LOGON_SCAN) && Enabled(page, IDC_DISABLE_SCHEDULE);
    })) << "the work items' read did not arrive";
    Send(page, WM_NULL);
}

// Holds back the page's reads as the window thread takes them from its
// queue, until let go: the test sees the page before a read has arrived, and
// chooses the order in which reads arrive.
class HeldTaskReads
{
public:
    explicit HeldTaskReads(HWND window)
    {
        s_current = this;
        m_hook = ::SetWindowsHookExA(WH_GETMESSAGE, &Hold, nullptr, ::GetWindowThreadProcessId(window, nullptr));
        EXPECT_NE(m_hook, static_cast<HHOOK>(NULL));
    }
    ~HeldTaskReads()
    {
        if (m_hook)
            ::UnhookWindowsHookEx(m_hook);
        s_current = nullptr;
    }
    HeldTaskReads(const HeldTaskReads&) = delete;
    HeldTaskReads& operator=(const HeldTaskReads&) = delete;

    bool WaitForHeld(size_t count)
    {
        return ProgramDriver::WaitFor(30000, [this, count] {
            std::lock_guard<std::mutex> hold(m_lock);
            return m_held.size() >= count;
        });
    }
    // Posts the held reads again, the newest first, and waits until the
    // window has handled them.
    void LetGo()
    {
        std::vector<MSG> reads;
        {
            std::lock_guard<std::mutex> hold(m_lock);
            m_holding = false;
            reads.swap(m_held);
        }
        reads.assign(reads.rbegin(), reads.rend());
        for (const MSG& read : reads)
            ::PostMessageA(read.hwnd, read.message, read.wParam, read.lParam);
        EXPECT_TRUE(ProgramDriver::WaitFor(10000, [this, &reads] {
            std::lock_guard<std::mutex> hold(m_lock);
            return m_passed >= reads.size();
        }));
        if (!reads.empty())
            Send(reads.front().hwnd, WM_NULL);
    }

private:
    static LRESULT CALLBACK Hold(int code, WPARAM removal, LPARAM lParam)
    {
        MSG* message = reinterpret_cast<MSG*>(lParam);
        if (code == HC_ACTION && removal == PM_REMOVE && message->message == WM_TASKS_READ && s_current)
        {
            std::lock_guard<std::mutex> hold(s_current->m_lock);
            if (s_current->m_holding)
            {
                s_current->m_held.push_back(*message);
                message->message = WM_NULL;
            }
            else
            {
                ++s_current->m_passed;
            }
        }
        return ::CallNextHookEx(NULL, code, removal, lParam);
    }

    static HeldTaskReads* s_current;
    HHOOK m_hook = NULL;
    std::mutex m_lock;
    bool m_holding = true;
    std::vector<MSG> m_held;
    size_t m_passed = 0;
};
HeldTaskReads* HeldTaskReads::s_current = nullptr;

// Counts the erases of one window's background, as its thread sends them.
class ErasesOf
{
public:
    explicit ErasesOf(HWND window)
    {
        s_window = window;
        s_count = 0;
        m_hook = ::SetWindowsHookExA(WH_CALLWNDPROC, &Note, nullptr, ::GetWindowThreadProcessId(window, nullptr));
    }
    ~ErasesOf()
    {
        ::UnhookWindowsHookEx(m_hook);
        s_window = NULL;
    }
    ErasesOf(const ErasesOf&) = delete;
    ErasesOf& operator=(const ErasesOf&) = delete;
    int Count() const { return s_count; }

private:
    static LRESULT CALLBACK Note(int code, WPARAM wParam, LPARAM lParam)
    {
        const CWPSTRUCT* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
        if (code == HC_ACTION && sent->hwnd == s_window && sent->message == WM_ERASEBKGND)
            ++s_count;
        return ::CallNextHookEx(NULL, code, wParam, lParam);
    }

    static std::atomic<HWND> s_window;
    static std::atomic<int> s_count;
    HHOOK m_hook;
};
std::atomic<HWND> ErasesOf::s_window{NULL};
std::atomic<int> ErasesOf::s_count{0};

// A picture of the window as it is now, one for each kind of prefix; an
// older picture of the name is removed first, so the wait is for this one.
void Screenshot(HWND window, const std::string& name)
{
    std::string file = "Z:" + ProgramDriver::ArtifactsFolder() + "/" + name + "-" + TestEnv::Configuration() + ".png";
    for (char& c : file)
        if (c == '/')
            c = '\\';
    ::DeleteFileA(file.c_str());
    ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    Send(window, WM_NULL);
    ::Sleep(300);
    EXPECT_TRUE(ProgramDriver::SaveScreenshot(window, name)) << name;
}

std::string Text(HWND window)
{
    return ProgramDriver::WindowText(window);
}

std::string IniValue(const char* key)
{
    return TestEnv::SettingsValue(theApp.m_strIniPath, key);
}

std::string ScheduledName()
{
    return "Quillomar Scheduled Scan - " + Probe::UserName();
}

std::string LogonName()
{
    return "Quillomar on user logon - " + Probe::UserName();
}

std::string ProgramFolder()
{
    const std::string path = CRegClientApp::GetProgramPath();
    return path.substr(0, path.find_last_of('\\') + 1);
}

// The work items this program could have left, gone.
void ForgetWorkItems()
{
    Probe::Remove(ScheduledName());
    Probe::Remove(LogonName());
}

class SettingsPageFixture : public testing::Test
{
protected:
    void SetUp() override
    {
        theApp.m_settings = SettingsRecord();
        theApp.m_cmdInfo = CCommandLineInfoEx();
        ::DeleteFileA(theApp.m_strIniPath.c_str());
        m_window.SetUpdateCheckHandler([this](bool silent, CWnd* parent) {
            m_updateChecks.push_back(silent || parent ? "silent or owned" : "shown");
        });
    }

    // Runs the main window here while drive works the settings page from
    // another thread (with COM of its own, for the Task Scheduler).
    void RunSettingsPage(const std::function<void(HWND main, HWND page)>& drive)
    {
        std::thread driver([this, &drive] {
            ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
            HWND window = NULL;
            EXPECT_TRUE(ProgramDriver::WaitFor(30000, [&] {
                return (window = m_window.GetSafeHwnd()) != NULL && ::IsWindowVisible(window);
            })) << "the main window did not show";
            if (window)
            {
                Send(window, WM_COMMAND, MAKEWPARAM(IDC_SETTINGS_LINK, BN_CLICKED),
                     reinterpret_cast<LPARAM>(::GetDlgItem(window, IDC_SETTINGS_LINK)));
                const HWND page = FindPage(window);
                EXPECT_TRUE(page && ::IsWindowVisible(page)) << "the settings link showed no settings page";
                if (page)
                {
                    WaitForTaskRead(page);
                    drive(window, page);
                }
                ProgramDriver::CloseAnsweringBoxes(window);
            }
            ::CoUninitialize();
        });
        m_window.DoModal();
        driver.join();
    }

    static HWND FindPage(HWND main)
    {
        for (HWND child = ::FindWindowExA(main, NULL, nullptr, nullptr); child;
             child = ::FindWindowExA(main, child, nullptr, nullptr))
            if (::GetDlgItem(child, IDC_DISABLE_SCHEDULE) && ::GetDlgItem(child, IDC_TAB_GENERAL))
                return child;
        return NULL;
    }

    // What switching to the page again shows, once read.
    static void ShowPageAgain(HWND main)
    {
        StartShowingPageAgain(main);
        WaitForTaskRead(FindPage(main));
    }
    static void StartShowingPageAgain(HWND main)
    {
        Send(main, WM_COMMAND, MAKEWPARAM(IDC_HOME_BUTTON, BN_CLICKED), 0);
        Send(main, WM_COMMAND, MAKEWPARAM(IDC_SETTINGS_LINK, BN_CLICKED), 0);
    }

    CRegClientDlg m_window;
    std::vector<std::string> m_updateChecks;
};

// Without the Schedule service, as on a Windows where it is stopped and
// disabled. These run before anything here uses the Task Scheduler.
class SettingsPageWithoutTaskScheduler : public SettingsPageFixture
{
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(Probe::DisableService()); }
    static void TearDownTestSuite() { Probe::EnableService(); }
};

TEST_F(SettingsPageWithoutTaskScheduler, SaysOnceThatTheSchedulerIsMissingAndKeepsTheControls)
{
    ASSERT_EQ(Probe::SchedulerState(), static_cast<HRESULT>(0x80041315L)) << "the service runs already";
    RunSettingsPage([&](HWND, HWND page) {
        EXPECT_FALSE(Checked(page, IDC_LOGON_SCAN));
        // The first click that needs the Task Scheduler tells the user why
        // nothing happened, and the box goes back.
        const HWND box = ::GetDlgItem(page, IDC_LOGON_SCAN);
        ASSERT_TRUE(::IsWindowVisible(box));
        ::PostMessageA(box, BM_CLICK, 0, 0);
        const HWND message = ProgramDriver::WaitForMessageBoxOf(::GetCurrentProcessId(), 20000);
        ASSERT_NE(message, static_cast<HWND>(NULL)) << "no word about the missing Task Scheduler";
        EXPECT_NE(ProgramDriver::MessageBoxText(message).find("Task Scheduler service is not running"),
                  std::string::npos)
            << ProgramDriver::MessageBoxText(message);
        ProgramDriver::PressButton(message, IDOK);
        for (int i = 0; i < 100 && ::IsWindow(message); ++i)
            ::Sleep(50);
        Send(page, WM_NULL);
        EXPECT_FALSE(Checked(page, IDC_LOGON_SCAN)) << "the box claims a log-on scan that does not exist";

        // The same failure again is not told twice.
        Click(page, IDC_LOGON_SCAN);
        EXPECT_FALSE(Checked(page, IDC_LOGON_SCAN));
        Click(page, IDC_TAB_SCHEDULE);
        EXPECT_TRUE(Checked(page, IDC_DISABLE_SCHEDULE)) << "a schedule shown that could not be read";
        Click(page, IDC_DISABLE_SCHEDULE);
        EXPECT_TRUE(Checked(page, IDC_DISABLE_SCHEDULE)) << "the schedule shown as on though none was made";
        EXPECT_FALSE(Enabled(page, IDC_SCHEDULE_TYPE));
        EXPECT_EQ(ProgramDriver::WaitForMessageBoxOf(::GetCurrentProcessId(), 1500), static_cast<HWND>(NULL));
    });
    EXPECT_FALSE(Probe::TaskFileExists(ScheduledName()));
    EXPECT_FALSE(Probe::TaskFileExists(LogonName()));
}

class SettingsPageTest : public SettingsPageFixture
{
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(Probe::StartService()) << "the Schedule service did not start"; }
    void SetUp() override
    {
        SettingsPageFixture::SetUp();
        ForgetWorkItems();
    }
    void TearDown() override { ForgetWorkItems(); }
};

TEST_F(SettingsPageTest, TabsShowTheirControlsAndCaptions)
{
    RunSettingsPage([&](HWND main, HWND page) {
        const HWND caption = ::GetDlgItem(main, IDC_CAPTION_LABEL);
        const HWND step = ::GetDlgItem(main, IDC_STEP_LABEL);
        EXPECT_EQ(Text(caption), "SETTINGS - GENERAL");
        EXPECT_EQ(Text(step), "");
        EXPECT_FALSE(Enabled(page, IDC_TAB_GENERAL));
        EXPECT_TRUE(Enabled(page, IDC_TAB_SCHEDULE));
        for (int id : {IDC_LOGON_SCAN, IDC_AUTO_CLOSE, IDC_AUTO_REPAIR, IDC_RESTORE_POINT, IDC_SOFTWARE_UPDATE,
                       IDC_SHUTDOWN, IDC_RESTART, IDC_CONTEXT_MENU, IDC_CONTEXT_MENU_CAPTION, IDC_APPLY})
            EXPECT_TRUE(Visible(page, id)) << id;
        for (int id : {IDC_LOG_SUMMARY, IDC_POPUP_ALERTS, IDC_CHECK_UPDATE, IDC_SAVED_LABEL, IDC_DISABLE_SCHEDULE,
                       IDC_SCHEDULE_TYPE, IDC_SCHEDULE_DESCRIPTION})
            EXPECT_FALSE(Visible(page, id)) << id;
        EXPECT_EQ(Text(::GetDlgItem(page, IDC_CONTEXT_MENU_CAPTION)), "Add scan option to Explorer context menu");
        EXPECT_EQ(Text(::GetDlgItem(page, IDC_APPLY)), "Apply");
        Screenshot(main, "settings-general");

        {
            // A dozen controls are hidden: the page under them is erased
            // once, not once for each.
            ErasesOf erases(page);
            Click(page, IDC_TAB_SCHEDULE);
            EXPECT_LE(erases.Count(), 1);
        }
        EXPECT_EQ(Text(caption), "SETTINGS - SCHEDULE");
        EXPECT_FALSE(Enabled(page, IDC_TAB_SCHEDULE));
        EXPECT_TRUE(Enabled(page, IDC_TAB_GENERAL));
        EXPECT_EQ(IniValue("AutoRepair"), "0") << "the Schedule tab did not store the options";
        for (int id : {IDC_DISABLE_SCHEDULE, IDC_SCHEDULE_TYPE, IDC_SCHEDULE_DAY, IDC_SCHEDULE_TIME,
                       IDC_SCHEDULE_TYPE_CAPTION, IDC_SCHEDULE_DAY_CAPTION, IDC_SCHEDULE_TIME_CAPTION})
            EXPECT_TRUE(Visible(page, id)) << id;
        for (int id : {IDC_LOGON_SCAN, IDC_CONTEXT_MENU, IDC_APPLY})
            EXPECT_FALSE(Visible(page, id)) << id;
        const HWND type = ::GetDlgItem(page, IDC_SCHEDULE_TYPE);
        EXPECT_EQ(Send(type, CB_GETCOUNT), 2);
        EXPECT_EQ(Send(::GetDlgItem(page, IDC_SCHEDULE_DAY), CB_GETCOUNT), 7);
        Screenshot(main, "settings-schedule");

        {
            ErasesOf erases(page);
            Click(page, IDC_TAB_GENERAL);
            EXPECT_LE(erases.Count(), 1);
        }
        EXPECT_EQ(Text(caption), "SETTINGS - GENERAL");
        Click(page, IDC_TAB_IGNORE_LIST);
        EXPECT_FALSE(::IsWindowVisible(page)) << "the ignore-list tab left the settings page on show";
        EXPECT_EQ(Text(caption), "SETTINGS - IGNORE LIST");

        // The page's update button takes the update link's road.
        ShowPageAgain(main);
        Send(page, WM_COMMAND, MAKEWPARAM(IDC_CHECK_UPDATE, BN_CLICKED), 0);
    });
    EXPECT_EQ(m_updateChecks, std::vector<std::string>{"shown"});
}

TEST_F(SettingsPageTest, OptionsRoundTripThroughTheSettingsFile)
{
    theApp.m_settings.logScanSummary = 1;
    theApp.m_settings.autoRepair = 1;
    theApp.m_settings.autoShutdownSystem = 1;
    RunSettingsPage([&](HWND main, HWND page) {
        EXPECT_TRUE(Checked(page, IDC_AUTO_REPAIR));
        EXPECT_TRUE(Checked(page, IDC_SHUTDOWN));
        EXPECT_FALSE(Checked(page, IDC_RESTORE_POINT));

        Click(page, IDC_RESTART);
        EXPECT_FALSE(Checked(page, IDC_SHUTDOWN)) << "shutdown and restart both chosen";
        Click(page, IDC_SHUTDOWN);
        EXPECT_FALSE(Checked(page, IDC_RESTART));
        Click(page, IDC_SHUTDOWN);
        EXPECT_TRUE(ClickCaption(page, IDC_RESTORE_POINT_CAPTION, IDC_RESTORE_POINT));
        Click(page, IDC_AUTO_REPAIR);
        Click(page, IDC_SOFTWARE_UPDATE);
        Click(page, IDC_AUTO_CLOSE);
        Click(page, IDC_APPLY);
        EXPECT_TRUE(Visible(page, IDC_SAVED_LABEL));
        Screenshot(main, "settings-general-saved");
        EXPECT_EQ(IniValue("RestorePoint"), "1");
        EXPECT_EQ(IniValue("AutoRepair"), "0");
        EXPECT_EQ(IniValue("SoftwareUpdate"), "1");
        EXPECT_EQ(IniValue("AutoShutdown"), "1");
        EXPECT_EQ(IniValue("AutoShutdownSystem"), "0");
        EXPECT_EQ(IniValue("AutoRestartSystem"), "0");
        // Hidden on a tab of its own, the summary word is written back as it was.
        EXPECT_EQ(IniValue("LogScanSummary"), "1");
        Click(page, IDC_AUTO_CLOSE);
        EXPECT_FALSE(Visible(page, IDC_SAVED_LABEL)) << "\"Saved\" stayed after a change";

        // Leaving the page stores what it shows.
        Send(main, WM_COMMAND, MAKEWPARAM(IDC_HOME_BUTTON, BN_CLICKED), 0);
        EXPECT_EQ(IniValue("AutoShutdown"), "0");
        theApp.m_settings.autoRepair = 1;
        Send(main, WM_COMMAND, MAKEWPARAM(IDC_SETTINGS_LINK, BN_CLICKED), 0);
        EXPECT_TRUE(Checked(page, IDC_AUTO_REPAIR)) << "showing the page did not reload the options";
    });
}

TEST_F(SettingsPageTest, ScheduledScanIsMadeReadBackChangedAndDisabled)
{
    RunSettingsPage([&](HWND, HWND page) {
        Click(page, IDC_TAB_SCHEDULE);
        EXPECT_TRUE(Checked(page, IDC_DISABLE_SCHEDULE));
        EXPECT_FALSE(Enabled(page, IDC_SCHEDULE_TYPE));
        EXPECT_FALSE(Enabled(page, IDC_SCHEDULE_DAY));
        EXPECT_FALSE(Enabled(page, IDC_SCHEDULE_TIME));

        // Turned on: the default weekly scan, Sunday 03:00, whatever the controls say.
        Choose(page, IDC_SCHEDULE_TYPE, 0);
        Click(page, IDC_DISABLE_SCHEDULE);
        Probe::WorkItem item = Probe::Read(ScheduledName());
        ASSERT_EQ(item.result, S_OK) << "no work item " << ScheduledName();
        EXPECT_TRUE(Probe::TaskFileExists(ScheduledName())) << Probe::TaskFile(ScheduledName());
        EXPECT_EQ(AnsiText::CompareNoCase(item.application, CRegClientApp::GetProgramPath()), 0)
            << item.application;
        EXPECT_EQ(item.parameters, "SCHEDULE");
        EXPECT_EQ(item.workingDirectory, ProgramFolder());
        ASSERT_TRUE(item.hasTrigger);
        EXPECT_EQ(item.trigger.TriggerType, TASK_TIME_TRIGGER_WEEKLY);
        EXPECT_EQ(item.trigger.Type.Weekly.WeeksInterval, 1);
        EXPECT_EQ(item.trigger.Type.Weekly.rgfDaysOfTheWeek, TASK_SUNDAY);
        EXPECT_EQ(item.trigger.wStartHour, 3);
        EXPECT_EQ(item.trigger.wStartMinute, 0);
        EXPECT_FALSE(Checked(page, IDC_DISABLE_SCHEDULE));
        EXPECT_EQ(Selection(page, IDC_SCHEDULE_TYPE), 1);
        EXPECT_EQ(Selection(page, IDC_SCHEDULE_DAY), 0);
        EXPECT_TRUE(Enabled(page, IDC_SCHEDULE_DAY));
        EXPECT_EQ(PickerTime(page).wHour, 3);
        Screenshot(::GetParent(page), "settings-schedule-weekly");

        // Daily at 21:45: the day list goes grey.
        Choose(page, IDC_SCHEDULE_TYPE, 0);
        EXPECT_FALSE(Enabled(page, IDC_SCHEDULE_DAY));
        SetPickerTime(page, 21, 45);
        Leave(page, IDC_SCHEDULE_TYPE);
        item = Probe::Read(ScheduledName());
        ASSERT_TRUE(item.hasTrigger);
        EXPECT_EQ(item.trigger.TriggerType, TASK_TIME_TRIGGER_DAILY);
        EXPECT_EQ(item.trigger.Type.Daily.DaysInterval, 1);
        EXPECT_EQ(item.trigger.wStartHour, 21);
        EXPECT_EQ(item.trigger.wStartMinute, 45);

        // Weekly on Wednesday at 06:10, left from the time picker; read back
        // into fresh controls by showing the page again.
        Choose(page, IDC_SCHEDULE_TYPE, 1);
        Choose(page, IDC_SCHEDULE_DAY, 3);
        SetPickerTime(page, 6, 10);
        Leave(page, IDC_SCHEDULE_TIME);
        item = Probe::Read(ScheduledName());
        ASSERT_TRUE(item.hasTrigger);
        EXPECT_EQ(item.trigger.TriggerType, TASK_TIME_TRIGGER_WEEKLY);
        EXPECT_EQ(item.trigger.Type.Weekly.rgfDaysOfTheWeek, TASK_WEDNESDAY);
        EXPECT_EQ(item.trigger.wStartHour, 6);
        Choose(page, IDC_SCHEDULE_TYPE, 0);
        Choose(page, IDC_SCHEDULE_DAY, 0);
        ShowPageAgain(::GetParent(page));
        EXPECT_EQ(Selection(page, IDC_SCHEDULE_TYPE), 1);
        EXPECT_EQ(Selection(page, IDC_SCHEDULE_DAY), 3);
        EXPECT_EQ(PickerTime(page).wHour, 6);
        EXPECT_EQ(PickerTime(page).wMinute, 10);

        Click(page, IDC_TAB_SCHEDULE);
        Click(page, IDC_DISABLE_SCHEDULE);
        EXPECT_TRUE(Probe::Read(ScheduledName()).result == HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
        EXPECT_FALSE(Probe::TaskFileExists(ScheduledName()));
        EXPECT_EQ(Text(::GetDlgItem(page, IDC_SCHEDULE_DESCRIPTION)), "");
        for (int id : {IDC_SCHEDULE_TYPE, IDC_SCHEDULE_DAY, IDC_SCHEDULE_TIME})
            EXPECT_FALSE(Enabled(page, id)) << id;
    });
}

TEST_F(SettingsPageTest, ScheduledScansOfOthersAreShownAsTheyAreAndKept)
{
    // Another copy's job: shown as no schedule, but left alone.
    ASSERT_TRUE(Probe::Plant(ScheduledName(), "C:\\Elsewhere\\Quillomar.exe", "SCHEDULE", TASK_TIME_TRIGGER_DAILY));
    RunSettingsPage([&](HWND main, HWND page) {
        EXPECT_TRUE(Checked(page, IDC_DISABLE_SCHEDULE));
        EXPECT_EQ(Probe::Read(ScheduledName()).result, S_OK) << "another copy's schedule was deleted";

        // Ours with a trigger the page does not offer, the path in other
        // letters: shown as daily.
        ASSERT_TRUE(Probe::Plant(ScheduledName(), AnsiText::ToLower(CRegClientApp::GetProgramPath()), "SCHEDULE",
                                 TASK_TIME_TRIGGER_ONCE));
        ShowPageAgain(main);
        EXPECT_FALSE(Checked(page, IDC_DISABLE_SCHEDULE)) << "the path's letters decided";
        EXPECT_EQ(Selection(page, IDC_SCHEDULE_TYPE), 0);
        EXPECT_EQ(Selection(page, IDC_SCHEDULE_DAY), 0);
        EXPECT_EQ(PickerTime(page).wHour, 7);
        EXPECT_EQ(PickerTime(page).wMinute, 30);
    });
}

TEST_F(SettingsPageTest, LogonScanIsMadeKeptAndRemoved)
{
    RunSettingsPage([&](HWND main, HWND page) {
        EXPECT_FALSE(Checked(page, IDC_LOGON_SCAN));
        Click(page, IDC_LOGON_SCAN);
        Probe::WorkItem item = Probe::Read(LogonName());
        ASSERT_EQ(item.result, S_OK) << "no work item " << LogonName();
        EXPECT_TRUE(Probe::TaskFileExists(LogonName()));
        EXPECT_EQ(AnsiText::CompareNoCase(item.application, CRegClientApp::GetProgramPath()), 0);
        EXPECT_EQ(item.parameters, "STARTSCAN");
        ASSERT_TRUE(item.hasTrigger);
        EXPECT_EQ(item.trigger.TriggerType, TASK_EVENT_TRIGGER_AT_LOGON);
        // The Task Scheduler here cannot describe a trigger; the job still reads.
        ShowPageAgain(main);
        EXPECT_TRUE(Checked(page, IDC_LOGON_SCAN));

        // Ours in other letters stays; a work item that cannot be read is
        // not taken for missing, and is not deleted.
        ASSERT_TRUE(Probe::Plant(LogonName(), AnsiText::ToLower(CRegClientApp::GetProgramPath()), "STARTSCAN",
                                 TASK_EVENT_TRIGGER_AT_LOGON));
        ShowPageAgain(main);
        EXPECT_TRUE(Checked(page, IDC_LOGON_SCAN));
        ASSERT_TRUE(Probe::Plant(LogonName(), CRegClientApp::GetProgramPath(), "STARTSCAN", -1));
        ShowPageAgain(main);
        EXPECT_TRUE(Checked(page, IDC_LOGON_SCAN)) << "the box followed a read that failed";
        EXPECT_EQ(Probe::Read(LogonName()).result, S_OK) << "the user's log-on job was deleted";

        // A copy in another folder: its job goes.
        ASSERT_TRUE(Probe::Plant(LogonName(), "C:\\Elsewhere\\Quillomar.exe", "STARTSCAN",
                                 TASK_EVENT_TRIGGER_AT_LOGON));
        ShowPageAgain(main);
        EXPECT_FALSE(Checked(page, IDC_LOGON_SCAN));
        EXPECT_FALSE(Probe::TaskFileExists(LogonName()));

        Click(page, IDC_LOGON_SCAN);
        EXPECT_TRUE(Probe::TaskFileExists(LogonName()));
        Click(page, IDC_LOGON_SCAN);
        EXPECT_FALSE(Probe::TaskFileExists(LogonName()));
        EXPECT_FALSE(Checked(page, IDC_LOGON_SCAN));
    });
}
}

namespace
{
TEST_F(SettingsPageTest, ARefusedChangeIsToldAndLeavesTheJobAsItWas)
{
    // A work item whose file cannot be deleted: the Task Scheduler answers
    // access denied, as for a job that another account made.
    ASSERT_TRUE(Probe::Plant(LogonName(), CRegClientApp::GetProgramPath(), "STARTSCAN", TASK_EVENT_TRIGGER_AT_LOGON));
    const std::string file = Probe::TaskFile(LogonName());
    ASSERT_TRUE(::SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_READONLY));
    RunSettingsPage([&](HWND, HWND page) {
        EXPECT_TRUE(Checked(page, IDC_LOGON_SCAN));
        ::PostMessageA(::GetDlgItem(page, IDC_LOGON_SCAN), BM_CLICK, 0, 0);
        const HWND message = ProgramDriver::WaitForMessageBoxWith(::GetCurrentProcessId(), "denied", 20000);
        ASSERT_NE(message, static_cast<HWND>(NULL)) << "a refused deletion was not told";
        ProgramDriver::AnswerMessageBox(message, IDOK);
        for (int i = 0; i < 100 && ::IsWindow(message); ++i)
            ::Sleep(50);
        Send(page, WM_NULL);
        EXPECT_TRUE(Checked(page, IDC_LOGON_SCAN)) << "the box shows a deletion that did not happen";
        EXPECT_EQ(Probe::Read(LogonName()).result, S_OK);
    });
    ::SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
}
}

namespace
{
CTask ScheduledScan(WORD month, WORD hour, int kind)
{
    CTask task;
    task.SetApplication(CRegClientApp::GetProgramPath());
    task.SetParameters("SCHEDULE");
    task.SetWorkingDirectory(ProgramFolder());
    task.SetAccount(Probe::UserName());
    task.SetComment("Schedule Scan");
    SYSTEMTIME start = {};
    start.wYear = 2024;
    start.wMonth = month;
    start.wDay = 1;
    start.wDayOfWeek = 3;
    start.wHour = hour;
    start.wMinute = 30;
    task.SetStartTime(start);
    task.SetTriggerKind(kind);
    return task;
}

// Saving over the user's schedule replaces it; a save that the Task
// Scheduler refuses half-way (here a start time it cannot take) puts the
// schedule that was there back, as it was.
TEST_F(SettingsPageTest, ASaveThatFailsKeepsTheScheduleThatWasThere)
{
    const std::string name = ScheduledName();
    ASSERT_EQ(ScheduledScan(5, 3, CTask::kWeekly).Save(name.c_str()), S_OK);
    ASSERT_EQ(ScheduledScan(5, 4, CTask::kDaily).Save(name.c_str()), S_OK);
    Probe::WorkItem read = Probe::Read(name);
    ASSERT_EQ(read.result, S_OK);
    EXPECT_EQ(read.trigger.TriggerType, TASK_TIME_TRIGGER_DAILY);
    EXPECT_EQ(read.trigger.wStartHour, 4);

    EXPECT_TRUE(FAILED(ScheduledScan(13, 5, CTask::kWeekly).Save(name.c_str()))) << "month 13 was taken";
    read = Probe::Read(name);
    ASSERT_EQ(read.result, S_OK) << "the schedule that was there is gone";
    EXPECT_EQ(read.application, CRegClientApp::GetProgramPath());
    EXPECT_EQ(read.parameters, "SCHEDULE");
    ASSERT_TRUE(read.hasTrigger);
    EXPECT_EQ(read.trigger.TriggerType, TASK_TIME_TRIGGER_DAILY);
    EXPECT_EQ(read.trigger.wStartHour, 4);
    EXPECT_EQ(read.trigger.wStartMinute, 30);
    EXPECT_EQ(read.trigger.wBeginMonth, 5);

    // Where nothing was there, a failed save leaves nothing behind.
    Probe::Remove(name);
    EXPECT_TRUE(FAILED(ScheduledScan(13, 5, CTask::kWeekly).Save(name.c_str())));
    EXPECT_FALSE(Probe::TaskFileExists(name));
}
}

namespace
{
// A work item's file opened as the Task Scheduler's service opens it to read
// it (others may read, none may delete), and closed again after a moment.
class HeldAsTheServiceReads
{
public:
    HeldAsTheServiceReads(const std::string& path, DWORD milliseconds)
        : m_file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr))
    {
        if (IsHeld())
            m_release = std::thread([this, milliseconds] {
                ::Sleep(milliseconds);
                ::CloseHandle(m_file);
            });
    }
    ~HeldAsTheServiceReads()
    {
        if (m_release.joinable())
            m_release.join();
    }
    HeldAsTheServiceReads(const HeldAsTheServiceReads&) = delete;
    HeldAsTheServiceReads& operator=(const HeldAsTheServiceReads&) = delete;
    bool IsHeld() const { return m_file != INVALID_HANDLE_VALUE; }

private:
    HANDLE m_file;
    std::thread m_release;
};

// The service reads a work item the moment it is written: a delete or a
// save over it that comes meanwhile still goes through.
TEST_F(SettingsPageTest, AWorkItemTheServiceIsReadingIsStillDeletedAndSavedOver)
{
    const std::string name = ScheduledName();
    ASSERT_EQ(ScheduledScan(5, 3, CTask::kWeekly).Save(name.c_str()), S_OK);
    {
        HeldAsTheServiceReads held(Probe::TaskFile(name), 500);
        ASSERT_TRUE(held.IsHeld());
        EXPECT_EQ(ScheduledScan(5, 4, CTask::kDaily).Save(name.c_str()), S_OK);
    }
    const Probe::WorkItem read = Probe::Read(name);
    ASSERT_EQ(read.result, S_OK);
    EXPECT_EQ(read.trigger.TriggerType, TASK_TIME_TRIGGER_DAILY);
    EXPECT_EQ(read.trigger.wStartHour, 4);

    HeldAsTheServiceReads held(Probe::TaskFile(name), 500);
    ASSERT_TRUE(held.IsHeld());
    EXPECT_EQ(CTask().Delete(name.c_str()), S_OK);
    EXPECT_FALSE(Probe::TaskFileExists(name));
}
}

namespace
{
// Until the read has arrived, the controls that show the work items cannot
// be used, and leaving one makes no schedule of what they still show; a read
// that arrives after a newer showing's read is not shown over it.
TEST_F(SettingsPageTest, TheLatestReadOfTheWorkItemsIsShownAndNothingIsUsableBefore)
{
    const std::string name = ScheduledName();
    ASSERT_EQ(ScheduledScan(5, 4, CTask::kDaily).Save(name.c_str()), S_OK);
    RunSettingsPage([&](HWND main, HWND page) {
        ASSERT_TRUE(Probe::Plant(LogonName(), CRegClientApp::GetProgramPath(), "STARTSCAN",
                                 TASK_EVENT_TRIGGER_AT_LOGON));
        HeldTaskReads held(page);
        StartShowingPageAgain(main);
        ASSERT_TRUE(held.WaitForHeld(1)) << "showing the page read no work items on a worker";
        Click(page, IDC_TAB_SCHEDULE);
        for (int id : {IDC_LOGON_SCAN, IDC_DISABLE_SCHEDULE, IDC_SCHEDULE_TYPE, IDC_SCHEDULE_DAY, IDC_SCHEDULE_TIME})
            EXPECT_FALSE(Enabled(page, id)) << id << " usable before the read";
        EXPECT_FALSE(Checked(page, IDC_LOGON_SCAN));
        Choose(page, IDC_SCHEDULE_TYPE, 1);
        Leave(page, IDC_SCHEDULE_TYPE);
        EXPECT_EQ(Probe::Read(name).trigger.TriggerType, TASK_TIME_TRIGGER_DAILY)
            << "a schedule made of unread controls";

        ASSERT_EQ(ScheduledScan(5, 6, CTask::kWeekly).Save(name.c_str()), S_OK);
        StartShowingPageAgain(main);
        ASSERT_TRUE(held.WaitForHeld(2));
        held.LetGo();
        WaitForTaskRead(page);
        EXPECT_FALSE(Checked(page, IDC_DISABLE_SCHEDULE));
        EXPECT_EQ(Selection(page, IDC_SCHEDULE_TYPE), 1) << "the older read was shown";
        EXPECT_EQ(Selection(page, IDC_SCHEDULE_DAY), 3);
        EXPECT_EQ(PickerTime(page).wHour, 6);
        for (int id : {IDC_SCHEDULE_TYPE, IDC_SCHEDULE_DAY, IDC_SCHEDULE_TIME})
            EXPECT_TRUE(Enabled(page, id)) << id;
        EXPECT_TRUE(Checked(page, IDC_LOGON_SCAN));
    });
}
}
