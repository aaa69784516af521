#include "support/TimeLimit.h"

#include <windows.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

namespace TimeLimit
{
namespace
{
std::vector<DWORD> ThisProcessAndItsChildren()
{
    std::vector<DWORD> processes{::GetCurrentProcessId()};
    const HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return processes;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = ::Process32First(snapshot, &entry); more; more = ::Process32Next(snapshot, &entry))
        if (entry.th32ParentProcessID == ::GetCurrentProcessId())
            processes.push_back(entry.th32ProcessID);
    ::CloseHandle(snapshot);
    return processes;
}

struct WindowList
{
    std::vector<DWORD> processes;
    std::string said;
};

std::string TextOf(HWND window)
{
    char text[1024] = {};
    ::GetWindowTextA(window, text, sizeof(text));
    return text;
}

// A dialog with a static control 0xFFFF: a message box, its text there.
BOOL CALLBACK DescribeWindow(HWND window, LPARAM context)
{
    WindowList* list = reinterpret_cast<WindowList*>(context);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    bool ours = false;
    for (DWORD process : list->processes)
        ours = ours || process == owner;
    const HWND text = ::GetDlgItem(window, 0xFFFF);
    if (ours && ::IsWindowVisible(window) && text)
        list->said += "\n  process " + std::to_string(owner) + ", \"" + TextOf(window) + "\": \"" + TextOf(text) +
                      "\"";
    return TRUE;
}

std::string RunningTest()
{
    const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
    return test ? std::string(test->test_suite_name()) + "." + test->name() : "no test (between tests)";
}

void FailAfter(unsigned long seconds)
{
    ::Sleep(seconds * 1000);
    WindowList list{ThisProcessAndItsChildren(), std::string()};
    ::EnumWindows(&DescribeWindow, reinterpret_cast<LPARAM>(&list));
    std::fprintf(stderr, "\nThe test program ran out of its %lu s in %s; message boxes on show:%s\n", seconds,
                 RunningTest().c_str(), list.said.empty() ? " none" : list.said.c_str());
    std::fflush(stderr);
    std::fflush(stdout);
    for (DWORD process : list.processes)
        if (process != ::GetCurrentProcessId())
            if (const HANDLE child = ::OpenProcess(PROCESS_TERMINATE, FALSE, process))
            {
                ::TerminateProcess(child, 99);
                ::CloseHandle(child);
            }
    ::TerminateProcess(::GetCurrentProcess(), 4);
}
}

void Start()
{
    const char* limit = std::getenv("QM_TIME_LIMIT");
    const unsigned long seconds = limit ? std::strtoul(limit, nullptr, 10) : 0;
    if (seconds > 0)
        std::thread(&FailAfter, seconds).detach();
}
}
