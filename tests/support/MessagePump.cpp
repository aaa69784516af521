#include "support/MessagePump.h"

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
}
