#include "support/ProgramDriver.h"

#include <cstdlib>

#include <gtest/gtest.h>

#include "Framework/AnsiText.h"
#include "support/MessagePump.h"
#include "support/OwnFolder.h"
#include "support/TestRegistry.h"

namespace ProgramDriver
{
std::string MakeProgramFolder(const std::string& name, const char* engine)
{
    const std::string folder = TestEnv::MakeScratchFolder("program-" + name);
    const std::string source = OwnFolder::BinariesFolder();
    ::DeleteFileA((folder + "qmsettings.ini").c_str());
    ::DeleteFileA((folder + "qmsag.dll").c_str());
    ::CopyFileA((source + "Quillomar.exe").c_str(), (folder + "Quillomar.exe").c_str(), FALSE);
    if (engine)
        ::CopyFileA((source + engine).c_str(), (folder + "qmsag.dll").c_str(), FALSE);
    return folder;
}

RunningProgram::~RunningProgram()
{
    if (m_process && !HasEnded())
    {
        // A box left on show tells why the test could not end the program.
        const std::string boxes = AnswerBoxesLeftOnShow(m_processId);
        EXPECT_EQ(boxes, "") << "message boxes left on show at the end of the test";
        ::TerminateProcess(m_process, 99);
        ::WaitForSingleObject(m_process, 5000);
    }
    Forget();
}

bool RunningProgram::HasEnded() const
{
    return m_process && ::WaitForSingleObject(m_process, 0) == WAIT_OBJECT_0;
}

void RunningProgram::Forget()
{
    if (m_process)
        ::CloseHandle(m_process);
    m_process = NULL;
    m_processId = 0;
}

bool RunningProgram::Start(const std::string& exe, const std::string& arguments, const std::string& folder)
{
    Forget();
    TestEnv::ProcessStart start;
    start.program = exe;
    start.commandLine = "\"" + exe + "\"";
    if (!arguments.empty())
        start.commandLine += " " + arguments;
    start.folder = folder.empty() ? exe.substr(0, exe.find_last_of('\\') + 1) : folder;
    TestEnv::StartedProcess started = TestEnv::StartProcess(start);
    if (!started)
    {
        ADD_FAILURE() << "could not start " << exe << " (error " << ::GetLastError() << ")";
        return false;
    }
    m_process = started.process.Detach();
    m_processId = started.id;
    return true;
}

bool RunningProgram::Adopt(DWORD processId)
{
    Forget();
    m_process = ::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION | PROCESS_TERMINATE, FALSE, processId);
    m_processId = m_process ? processId : 0;
    return m_process != NULL;
}

namespace
{
struct WindowSearch
{
    DWORD processId;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM context)
{
    WindowSearch* search = reinterpret_cast<WindowSearch*>(context);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner == search->processId && ::IsWindowVisible(window))
        search->found.push_back(window);
    return TRUE;
}

std::string ClassOf(HWND window)
{
    char name[64] = {};
    ::GetClassNameA(window, name, sizeof(name));
    return name;
}

}

// The main window is the dialog with the page buttons; a message box has
// its text in the static control 0xFFFF.
bool IsMainWindow(HWND window)
{
    return ClassOf(window) == "#32770" && ::GetDlgItem(window, 1001) != NULL;
}

bool IsMessageBox(HWND window)
{
    return ClassOf(window) == "#32770" && ::GetDlgItem(window, 0xFFFF) != NULL && !IsMainWindow(window);
}

std::vector<HWND> VisibleWindowsOf(DWORD processId)
{
    WindowSearch search{processId, {}};
    if (processId)
        ::EnumWindows(&CollectWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitForWindow(DWORD processId, bool (*matches)(HWND), DWORD milliseconds, const RunningProgram* program)
{
    const DWORD start = ::GetTickCount();
    for (;;)
    {
        for (HWND window : VisibleWindowsOf(processId))
            if (matches(window))
                return window;
        if (::GetTickCount() - start > milliseconds || (program && program->HasEnded()))
            return NULL;
        ::Sleep(100);
    }
}

HWND WaitForMessageBoxOf(DWORD processId, DWORD milliseconds)
{
    return WaitForWindow(processId, &IsMessageBox, milliseconds, nullptr);
}

namespace
{
struct ImageSearch
{
    std::string exe;
    HWND found;
};

std::string ImageOf(DWORD processId)
{
    const HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    if (!process)
        return std::string();
    char path[MAX_PATH] = {};
    DWORD size = MAX_PATH;
    const BOOL ok = ::QueryFullProcessImageNameA(process, 0, path, &size);
    ::CloseHandle(process);
    return ok ? std::string(path, size) : std::string();
}

BOOL CALLBACK FindByImage(HWND window, LPARAM context)
{
    ImageSearch* search = reinterpret_cast<ImageSearch*>(context);
    if (!::IsWindowVisible(window) || !IsMainWindow(window))
        return TRUE;
    DWORD processId = 0;
    ::GetWindowThreadProcessId(window, &processId);
    if (::lstrcmpiA(ImageOf(processId).c_str(), search->exe.c_str()) != 0)
        return TRUE;
    search->found = window;
    return FALSE;
}
}

HWND WaitForMainWindowOf(const std::string& exe, DWORD milliseconds)
{
    const DWORD start = ::GetTickCount();
    for (;;)
    {
        ImageSearch search{exe, NULL};
        ::EnumWindows(&FindByImage, reinterpret_cast<LPARAM>(&search));
        if (search.found)
            return search.found;
        if (::GetTickCount() - start > milliseconds)
        {
            ADD_FAILURE() << "no visible main window of " << exe << " within " << milliseconds << " ms";
            return NULL;
        }
        ::Sleep(100);
    }
}

std::vector<HWND> RunningProgram::Windows() const
{
    return VisibleWindowsOf(m_processId);
}

HWND RunningProgram::WaitForMessageBox(DWORD milliseconds) const
{
    return WaitForWindow(m_processId, &IsMessageBox, milliseconds, this);
}

std::string WindowText(HWND window)
{
    char text[1024] = {};
    ::GetWindowTextA(window, text, sizeof(text));
    return text;
}

std::string MessageBoxText(HWND box)
{
    return WindowText(::GetDlgItem(box, 0xFFFF));
}

bool PressButton(HWND dialog, int id)
{
    const HWND button = ::GetDlgItem(dialog, id);
    if (!button)
        return false;
    return ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button)) != FALSE;
}

bool WaitUntil(DWORD milliseconds, bool (*condition)(void*), void* context)
{
    const DWORD start = ::GetTickCount();
    while (!condition(context))
    {
        if (::GetTickCount() - start > milliseconds)
            return false;
        ::Sleep(50);
    }
    return true;
}

bool WaitFor(DWORD milliseconds, const std::function<bool()>& condition)
{
    const DWORD start = ::GetTickCount();
    while (!condition())
    {
        if (::GetTickCount() - start > milliseconds)
            return condition();
        ::Sleep(50);
    }
    return true;
}

std::string ArtifactsFolder()
{
    const char* folder = std::getenv("QM_ARTIFACTS");
    return folder ? folder : "";
}

namespace
{
bool BelongsToThisProcess(HWND window)
{
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    return owner == ::GetCurrentProcessId();
}

// Waits for a process while this thread's windows go on painting.
void WaitPumping(HANDLE process, DWORD milliseconds)
{
    const DWORD start = ::GetTickCount();
    while (::GetTickCount() - start < milliseconds)
    {
        const DWORD rc = ::MsgWaitForMultipleObjects(1, &process, FALSE, 100, QS_ALLINPUT);
        if (rc == WAIT_OBJECT_0)
            return;
        TestPump::PumpMessages(0);
    }
}
}

bool SaveScreenshot(HWND window, const std::string& name)
{
    const std::string folder = ArtifactsFolder();
    if (folder.empty() || folder[0] != '/')
        return false;
    const bool own = BelongsToThisProcess(window);
    if (own)
    {
        ::RedrawWindow(window, nullptr, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        // Windows of this process paint only while its messages flow.
        TestPump::PumpMessages(300);
    }
    RECT rect = {};
    ::GetWindowRect(window, &rect);
    const std::string target = folder + "/" + name + "-" + TestEnv::Configuration() + ".png";
    // Wine starts Unix programs too: the X server's own picture of the
    // screen, cut to the window. The part file is this process's own, so
    // that two runs of the suite side by side never move each other's.
    const std::string part = AnsiText::Format("%s.%lu.part.png", target.c_str(), ::GetCurrentProcessId());
    const std::string script = AnsiText::Format(
        "mkdir -p '%s' && rm -f '%s' && xwd -root -silent | convert xwd:- -crop %ldx%ld+%ld+%ld +repage '%s'"
        " && mv '%s' '%s'",
        folder.c_str(), target.c_str(), rect.right - rect.left, rect.bottom - rect.top, rect.left, rect.top,
        part.c_str(), part.c_str(), target.c_str());
    std::string windowsTarget = "Z:" + target;
    for (char& c : windowsTarget)
        if (c == '/')
            c = '\\';
    ::DeleteFileA(windowsTarget.c_str());
    TestEnv::ProcessStart shellStart;
    shellStart.program = "Z:\\bin\\sh";
    shellStart.commandLine = "/bin/sh -c \"" + script + "\"";
    const TestEnv::StartedProcess shell = TestEnv::StartProcess(shellStart);
    if (!shell)
        return false;
    // The handle of a Unix process does not always signal its end under
    // Wine: the picture is renamed into place whole, so its arrival is the
    // end that counts.
    const DWORD start = ::GetTickCount();
    while (!TestEnv::FileExists(windowsTarget) && ::GetTickCount() - start < 20000)
    {
        if (own)
            WaitPumping(shell.process.Get(), 100);
        else
            ::Sleep(100);
    }
    return TestEnv::FileExists(windowsTarget);
}
}
