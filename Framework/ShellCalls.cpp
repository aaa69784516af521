#include "Framework/ShellCalls.h"

namespace ShellCalls
{
namespace
{
ExecuteFunction g_execute = ::ShellExecuteA;
NotifyIconFunction g_notifyIcon = ::Shell_NotifyIconA;
}

HINSTANCE Execute(HWND owner, const char* verb, const char* file, const char* parameters, const char* folder,
                  int showCommand)
{
    return g_execute(owner, verb, file, parameters, folder, showCommand);
}

BOOL NotifyIcon(DWORD message, NOTIFYICONDATAA* data)
{
    return g_notifyIcon(message, data);
}

ExecuteFunction SetExecute(ExecuteFunction function)
{
    const ExecuteFunction previous = g_execute;
    g_execute = function ? function : ::ShellExecuteA;
    return previous;
}

NotifyIconFunction SetNotifyIcon(NotifyIconFunction function)
{
    const NotifyIconFunction previous = g_notifyIcon;
    g_notifyIcon = function ? function : ::Shell_NotifyIconA;
    return previous;
}
}
