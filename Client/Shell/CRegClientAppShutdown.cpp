// Restart and shutdown of the computer after an automatic scan and repair or
// a hive compaction.
#include "Client/Shell/CRegClientApp.h"

#include "Framework/AnsiText.h"
#include "Framework/CWnd.h"

namespace
{
// Planned, operating system, upgrade.
const DWORD kShutdownReason = 0x80020003;
// OK and Cancel, information icon, system-modal, brought to the foreground.
const UINT kQuestionType = MB_OKCANCEL | MB_ICONINFORMATION | MB_SYSTEMMODAL | MB_SETFOREGROUND;
const DWORD kQuestionTimeoutMs = 7000;

bool EnableShutdownPrivilege()
{
    HANDLE raw = NULL;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &raw))
        return false;
    CHandle token(raw);
    TOKEN_PRIVILEGES privileges = {};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (!::LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &privileges.Privileges[0].Luid))
        return false;
    ::SetLastError(ERROR_SUCCESS);
    ::AdjustTokenPrivileges(token.Get(), FALSE, &privileges, 0, nullptr, nullptr);
    // Success with "not all assigned" is a refusal too.
    return ::GetLastError() == ERROR_SUCCESS;
}
}

BOOL CRegClientApp::ShutdownOrRestart(BOOL restart, BOOL ask)
{
    if (!EnableShutdownPrivilege())
        return FALSE;
    if (restart)
    {
        if (ask && !ConfirmShutdown(TRUE))
            return FALSE;
        return ::ExitWindowsEx(EWX_REBOOT | EWX_FORCE, kShutdownReason) ? TRUE : FALSE;
    }
    if (!ConfirmShutdown(FALSE))
        return FALSE;
    return ::ExitWindowsEx(EWX_POWEROFF | EWX_FORCEIFHUNG, kShutdownReason) ? TRUE : FALSE;
}

BOOL CRegClientApp::ConfirmShutdown(BOOL restart)
{
    try
    {
        const HMODULE user32 = ::GetModuleHandleA("user32.dll");
        m_pfnMessageBoxTimeout = user32 ? reinterpret_cast<PFN_MESSAGE_BOX_TIMEOUT>(reinterpret_cast<void*>(
                                              ::GetProcAddress(user32, "MessageBoxTimeoutA")))
                                        : nullptr;
        if (!m_pfnMessageBoxTimeout)
            return TRUE;
        const std::string text = AnsiText::Format("Your system will %s momentarily.\n\nClick Cancel to abort.",
                                                  restart ? "restart" : "shutdown");
        const HWND owner = GetMainWnd() ? GetMainWnd()->GetSafeHwnd() : NULL;
        const int answer = m_pfnMessageBoxTimeout(owner, text.c_str(), g_szAppTitle, kQuestionType, 0,
                                                  kQuestionTimeoutMs);
        return answer == IDCANCEL ? FALSE : TRUE;
    }
    catch (...)
    {
        return TRUE;
    }
}
