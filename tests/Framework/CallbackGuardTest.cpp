// Exceptions where Windows calls into our code: a window handler, a dialog's
// set-up and a worker thread that throw end that one call, are reported, and
// the process goes on.
#include <windows.h>

#include <gtest/gtest.h>

#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "Framework/CDialog.h"
#include "Framework/CWinApp.h"
#include "Framework/CWnd.h"
#include "Framework/CallbackGuard.h"
#include "Framework/CHandle.h"
#include "Framework/WorkerThread.h"

namespace
{
std::vector<std::string> g_reports;
CRITICAL_SECTION g_reportsLock;

void Record(const char* where, const char* what)
{
    ::EnterCriticalSection(&g_reportsLock);
    g_reports.push_back(std::string(where) + ": " + (what ? what : "?"));
    ::LeaveCriticalSection(&g_reportsLock);
}

const UINT kThrowStd = WM_APP + 1;
const UINT kThrowOther = WM_APP + 2;
const UINT kAnswer = WM_APP + 3;
int g_five = 5;

DWORD WINAPI ThrowingRoutine(void*)
{
    throw std::runtime_error("worker failed");
}

DWORD WINAPI ReturningRoutine(void* value)
{
    return static_cast<DWORD>(*static_cast<int*>(value));
}

class ThrowingWindow : public CWnd
{
public:
    bool throwInPaint = false;
    int paints = 0;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        switch (message)
        {
        case kThrowStd:
            throw std::bad_alloc();
        case kThrowOther:
            throw 42;
        case kAnswer:
            return 7;
        case WM_PAINT:
            ++paints;
            if (throwInPaint)
                throw std::runtime_error("paint failed");
            break;
        default:
            break;
        }
        return CWnd::WindowProc(message, wParam, lParam);
    }
};

class CallbackGuardTest : public testing::Test
{
protected:
    static void SetUpTestSuite() { ::InitializeCriticalSection(&g_reportsLock); }
    void SetUp() override
    {
        g_reports.clear();
        m_previous = CallbackGuard::SetReporter(&Record);
    }
    void TearDown() override { CallbackGuard::SetReporter(m_previous); }

    static void Pump()
    {
        MSG message;
        while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
            ::DispatchMessageA(&message);
    }

    CallbackGuard::Reporter m_previous = nullptr;
};
}

TEST_F(CallbackGuardTest, AThrowingWindowHandlerEndsOnlyThatMessage)
{
    ThrowingWindow window;
    ASSERT_TRUE(
        window.CreateEx(0, nullptr, "guarded", WS_OVERLAPPEDWINDOW | WS_VISIBLE, RECT{0, 0, 200, 100}, NULL, 0));
    EXPECT_EQ(0, window.SendMessage(kThrowStd, 0, 0));
    EXPECT_EQ(0, window.SendMessage(kThrowOther, 0, 0));
    ASSERT_EQ(2u, g_reports.size());
    EXPECT_EQ("window message: std::bad_alloc", g_reports[0]);
    EXPECT_EQ("window message: ?", g_reports[1]);
    EXPECT_EQ(7, window.SendMessage(kAnswer, 0, 0)) << "the window goes on answering";

    // A posted message that throws inside the loop leaves the loop running.
    window.PostMessage(kThrowStd, 0, 0);
    Pump();
    EXPECT_EQ(3u, g_reports.size());

    // A paint that throws is not asked for again and again.
    Pump();
    window.paints = 0;
    window.throwInPaint = true;
    ::InvalidateRect(window.GetSafeHwnd(), nullptr, TRUE);
    Pump();
    Pump();
    EXPECT_EQ(1, window.paints);
    EXPECT_EQ(4u, g_reports.size());
    RECT update;
    EXPECT_FALSE(::GetUpdateRect(window.GetSafeHwnd(), &update, FALSE));
    window.DestroyWindow();
    EXPECT_FALSE(::IsWindow(window.GetSafeHwnd()));
}

namespace
{
struct BoxWatch
{
    HWND window = NULL;
    std::string text;
    int boxes = 0;
};

BOOL CALLBACK CountBox(HWND window, LPARAM count)
{
    char title[64] = {};
    char className[16] = {};
    ::GetWindowTextA(window, title, sizeof(title));
    ::GetClassNameA(window, className, sizeof(className));
    if (::IsWindowVisible(window) && std::string(className) == "#32770" && std::string(title) == "Guard Test")
        ++*reinterpret_cast<int*>(count);
    return TRUE;
}

// Finds the report box, makes the window fail again while it is up, counts
// the boxes, and closes the one it found.
DWORD WINAPI WatchForBox(void* parameter)
{
    BoxWatch& watch = *static_cast<BoxWatch*>(parameter);
    HWND box = NULL;
    for (int i = 0; i < 500 && !box; ++i, ::Sleep(10))
        box = ::FindWindowA("#32770", "Guard Test");
    if (!box)
        return 1;
    char text[512] = {};
    ::GetDlgItemTextA(box, 0xFFFF, text, sizeof(text));
    watch.text = text;
    ::PostMessageA(watch.window, kThrowOther, 0, 0);
    ::Sleep(500);
    ::EnumWindows(&CountBox, reinterpret_cast<LPARAM>(&watch.boxes));
    ::PostMessageA(box, WM_COMMAND, IDOK, 0);
    return 0;
}
}

TEST_F(CallbackGuardTest, TheProgramTellsTheUserOnceUnderItsName)
{
    CWinApp app("Guard Test");
    CallbackGuard::SetReporter(nullptr);  // the program's own way
    ThrowingWindow window;
    ASSERT_TRUE(
        window.CreateEx(0, nullptr, "guarded", WS_OVERLAPPEDWINDOW | WS_VISIBLE, RECT{0, 0, 200, 100}, NULL, 0));
    BoxWatch watch;
    watch.window = window.GetSafeHwnd();
    const CHandle watcher(::CreateThread(nullptr, 0, &WatchForBox, &watch, 0, nullptr));
    EXPECT_EQ(0, window.SendMessage(kThrowStd, 0, 0));
    ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(watcher.Get(), 10000));
    EXPECT_NE(std::string::npos, watch.text.find("window message")) << watch.text;
    EXPECT_NE(std::string::npos, watch.text.find("std::bad_alloc")) << watch.text;
    EXPECT_EQ(1, watch.boxes) << "a failure while the box is up shows no second box";
    EXPECT_EQ(7, window.SendMessage(kAnswer, 0, 0));
    window.DestroyWindow();
}

TEST_F(CallbackGuardTest, AThrowingWorkerThreadEndsWithMinusOne)
{
    const CHandle thread(WorkerThread::Create(&ThrowingRoutine, nullptr, false));
    ASSERT_TRUE(thread);
    ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(thread.Get(), 5000));
    DWORD exitCode = 0;
    ::GetExitCodeThread(thread.Get(), &exitCode);
    EXPECT_EQ(static_cast<DWORD>(-1), exitCode);
    ASSERT_EQ(1u, g_reports.size());
    EXPECT_EQ("worker thread: worker failed", g_reports[0]);

    const CHandle fine(WorkerThread::Create(&ReturningRoutine, &g_five, false));
    ::WaitForSingleObject(fine.Get(), 5000);
    ::GetExitCodeThread(fine.Get(), &exitCode);
    EXPECT_EQ(5u, exitCode) << "a routine that returns keeps its result";
}
