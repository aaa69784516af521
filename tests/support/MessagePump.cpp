#include "support/MessagePump.h"

#include <thread>

#include "Framework/CWinApp.h"
#include "Framework/CWnd.h"

namespace TestPump
{
void PumpMessages(DWORD ms)
{
    const DWORD start = ::GetTickCount();
    do
    {
        MSG msg{};
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        {
            CWinApp* app = CWinApp::Get();
            if (!(app ? app->PreTranslateMessage(&msg) : CWnd::WalkPreTranslateTree(NULL, &msg)))
            {
                ::TranslateMessage(&msg);
                ::DispatchMessageA(&msg);
            }
        }
        if (ms)
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    } while (::GetTickCount() - start < ms);
}

bool PumpUntil(const std::function<bool()>& done, DWORD ms)
{
    const DWORD start = ::GetTickCount();
    while (!done())
    {
        if (::GetTickCount() - start > ms)
            return done();
        PumpMessages(10);
    }
    return true;
}

void RunWhileUserDrives(HWND window, const std::function<void(HWND window)>& user)
{
    const DWORD windowThread = ::GetCurrentThreadId();
    std::thread driver([&] {
        user(window);
        ::PostThreadMessageA(windowThread, WM_QUIT, 0, 0);
    });
    MSG message;
    while (::GetMessageA(&message, NULL, 0, 0) > 0)
    {
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
    }
    driver.join();
}
}
