// Roads through the program's pages, by the ids of its resources.
#include "support/ProgramDriver.h"

#include <tlhelp32.h>

#include <gtest/gtest.h>

#include "Client/res/IgnoreListResource.h"
#include "Client/res/ScanPagesResource.h"
#include "Client/res/ScanResultsResource.h"
#include "Client/res/SettingsResource.h"
#include "Client/res/ShellResource.h"

namespace ProgramDriver
{
HWND ScanAndShowResults(HWND mainWindow, DWORD scanMilliseconds)
{
    // The scan page may be on show already.
    if (IsUsable(FindVisibleControl(mainWindow, IDC_SCAN_BUTTON)))
    {
        EXPECT_TRUE(ClickWhenUsable(mainWindow, IDC_SCAN_BUTTON));
    }
    EXPECT_TRUE(ClickWhenUsable(mainWindow, IDC_SCAN_START, 20000)) << "no scan button";
    EXPECT_TRUE(ClickWhenUsable(mainWindow, IDC_SHOW_RESULTS, scanMilliseconds)) << "the scan did not end";
    const HWND ignore = WaitForUsable(mainWindow, IDC_IGNORE_BUTTON, 20000);
    EXPECT_NE(ignore, static_cast<HWND>(NULL)) << "no results page";
    return ignore ? ::GetDlgItem(::GetParent(ignore), IDC_RESULTS_TREE) : NULL;
}

HWND ShowSettingsPage(HWND mainWindow)
{
    EXPECT_TRUE(ClickWhenUsable(mainWindow, IDC_SETTINGS_LINK)) << "no settings button";
    const HWND logon = WaitForUsable(mainWindow, IDC_LOGON_SCAN);
    EXPECT_NE(logon, static_cast<HWND>(NULL)) << "no settings page";
    return logon ? ::GetParent(logon) : NULL;
}

HWND ShowIgnoreListPage(HWND mainWindow)
{
    const HWND settings = ShowSettingsPage(mainWindow);
    if (!settings)
        return NULL;
    EXPECT_TRUE(ClickWhenUsable(settings, IDC_TAB_IGNORE_LIST)) << "no ignore-list tab";
    const HWND list = WaitForUsable(mainWindow, IDC_IGNORE_LIST);
    EXPECT_NE(list, static_cast<HWND>(NULL)) << "the ignore-list page did not show";
    return list;
}
}

// ---- A job that outlives what the program waits for ----

namespace ProgramDriver
{
HWND StartScanAndHoldItsThread(HWND mainWindow)
{
    if (IsUsable(FindVisibleControl(mainWindow, IDC_SCAN_BUTTON)))
    {
        EXPECT_TRUE(ClickWhenUsable(mainWindow, IDC_SCAN_BUTTON));
    }
    EXPECT_TRUE(ClickWhenUsable(mainWindow, IDC_SCAN_START, 20000)) << "no scan button";
    const HWND cancel = WaitForUsable(mainWindow, IDC_CANCEL_SCAN, 20000);
    EXPECT_NE(cancel, static_cast<HWND>(NULL)) << "the scan did not start";
    if (!cancel)
        return NULL;
    const HWND page = ::GetParent(cancel);
    ::PostMessageA(page, WM_COMMAND, MAKEWPARAM(IDC_PAUSE_SCAN, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(page, IDC_PAUSE_SCAN)));
    // Held: the page shows its continue button in place of the pause button.
    const bool held = WaitFor(10000, [page] { return ::IsWindowVisible(::GetDlgItem(page, IDC_RESUME_SCAN)) != FALSE; });
    EXPECT_TRUE(held) << "the scan's thread was not held";
    const bool ended = ::IsWindowEnabled(::GetDlgItem(page, IDC_SHOW_RESULTS)) != FALSE;
    EXPECT_FALSE(ended) << "the scan ended before it was held";
    return held && !ended ? page : NULL;
}

ModuleUnloadWatch::~ModuleUnloadWatch()
{
    if (m_thread)
    {
        ::InterlockedExchange(&m_stop, 1);
        ::WaitForSingleObject(m_thread, 30000);
        ::CloseHandle(m_thread);
    }
    if (m_attached)
        ::CloseHandle(m_attached);
    if (m_ended)
        ::CloseHandle(m_ended);
}

bool ModuleUnloadWatch::Attach(DWORD processId, const std::string& moduleName)
{
    const HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, processId);
    if (snapshot == INVALID_HANDLE_VALUE)
        return false;
    MODULEENTRY32 entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = ::Module32First(snapshot, &entry); more; more = ::Module32Next(snapshot, &entry))
        if (::lstrcmpiA(entry.szModule, moduleName.c_str()) == 0)
            m_moduleBase = reinterpret_cast<ULONG_PTR>(entry.modBaseAddr);
    ::CloseHandle(snapshot);
    if (!m_moduleBase || m_thread)
        return false;
    m_processId = processId;
    m_attached = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    m_ended = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    m_thread = ::CreateThread(nullptr, 0, &ModuleUnloadWatch::Follow, this, 0, nullptr);
    if (!m_thread)
        return false;
    ::WaitForSingleObject(m_attached, 30000);
    return m_attachOk != 0;
}

bool ModuleUnloadWatch::WaitForEnd(DWORD milliseconds)
{
    return m_ended && ::WaitForSingleObject(m_ended, milliseconds) == WAIT_OBJECT_0;
}

DWORD WINAPI ModuleUnloadWatch::Follow(void* parameter)
{
    ModuleUnloadWatch& self = *static_cast<ModuleUnloadWatch*>(parameter);
    // The debugger is the thread that attached: every event comes to it.
    if (!::DebugActiveProcess(self.m_processId))
    {
        ::SetEvent(self.m_attached);
        return 1;
    }
    ::DebugSetProcessKillOnExit(FALSE);
    self.m_attachOk = 1;
    ::SetEvent(self.m_attached);
    for (;;)
    {
        DEBUG_EVENT event = {};
        if (!::WaitForDebugEvent(&event, 100))
        {
            if (self.m_stop)
            {
                ::DebugActiveProcessStop(self.m_processId);
                return 0;
            }
            continue;
        }
        DWORD status = DBG_CONTINUE;
        switch (event.dwDebugEventCode)
        {
        case CREATE_PROCESS_DEBUG_EVENT:
            if (event.u.CreateProcessInfo.hFile)
                ::CloseHandle(event.u.CreateProcessInfo.hFile);
            break;
        case LOAD_DLL_DEBUG_EVENT:
            if (event.u.LoadDll.hFile)
                ::CloseHandle(event.u.LoadDll.hFile);
            break;
        case UNLOAD_DLL_DEBUG_EVENT:
            if (reinterpret_cast<ULONG_PTR>(event.u.UnloadDll.lpBaseOfDll) == self.m_moduleBase)
                self.m_sawUnload = true;
            break;
        case EXCEPTION_DEBUG_EVENT:
            // The attach's own breakpoint is ours; everything else is the
            // program's to handle.
            if (event.u.Exception.ExceptionRecord.ExceptionCode != EXCEPTION_BREAKPOINT)
                status = DBG_EXCEPTION_NOT_HANDLED;
            break;
        default:
            break;
        }
        ::ContinueDebugEvent(event.dwProcessId, event.dwThreadId, status);
        if (event.dwDebugEventCode == EXIT_PROCESS_DEBUG_EVENT)
        {
            ::SetEvent(self.m_ended);
            return 0;
        }
    }
}
}
