#pragma once
#include <windows.h>

#include <functional>

// The message loop of tests that run windows on their own thread.
namespace TestPump
{
// Handles the thread's messages for about ms milliseconds, passing each
// through the application's pre-translation as the program's loops do.
void PumpMessages(DWORD ms = 0);
// Handles messages until done() or ms have passed; the result of done().
bool PumpUntil(const std::function<bool()>& done, DWORD ms);
// Runs this thread's message loop while user, on a thread of its own, works
// the window as a user would; returns once user has returned.
void RunWhileUserDrives(HWND window, const std::function<void(HWND window)>& user);
}
