#include "Framework/CWinApp.h"

#include "Framework/CWnd.h"

namespace
{
CWinApp* g_application = nullptr;
}

CWinApp::CWinApp(const char* productName)
{
    if (productName)
        m_appName = productName;
    m_instance = ::GetModuleHandleA(nullptr);
    if (!g_application)
        g_application = this;
}

CWinApp::~CWinApp()
{
    if (g_application == this)
        g_application = nullptr;
}

CWinApp* CWinApp::Get()
{
    return g_application;
}

int CWinApp::Main(HINSTANCE instance, const char* commandLine, int showCommand)
{
    m_instance = instance ? instance : ::GetModuleHandleA(nullptr);
    m_commandLine = commandLine ? commandLine : "";
    m_showCommand = showCommand;
    if (!InitInstance())
        return ExitInstance();
    return Run();
}

BOOL CWinApp::InitInstance()
{
    return TRUE;
}

int CWinApp::ExitInstance()
{
    return 0;
}

int CWinApp::Run()
{
    while (PumpMessage())
    {
    }
    const int rc = ExitInstance();
    return rc;
}

bool CWinApp::PumpMessage()
{
    MSG msg{};
    const BOOL got = ::GetMessageA(&msg, nullptr, 0, 0);
    if (got == 0 || got == -1)
        return false;
    if (!PreTranslateMessage(&msg))
    {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    return true;
}

BOOL CWinApp::PreTranslateMessage(MSG* msg)
{
    return CWnd::WalkPreTranslateTree(NULL, msg);
}

const char* CWinApp::ProductName()
{
    return g_application ? g_application->m_appName.c_str() : "";
}

HINSTANCE CWinApp::ResourceInstance()
{
    return g_application && g_application->m_instance ? g_application->m_instance : ::GetModuleHandleA(nullptr);
}

int CWinApp::MessageBox(const char* text, UINT type, HWND owner)
{
    if (!owner)
        owner = ::GetActiveWindow();
    if (!owner && g_application && g_application->m_pMainWnd)
        owner = g_application->m_pMainWnd->GetSafeHwnd();
    return ::MessageBoxA(owner, text, ProductName(), type);
}

std::string CWinApp::LoadString(UINT id)
{
    // Texts of up to a few kilobytes; the buffer grows while they fill it.
    for (int size = 256; size <= 16384; size *= 4)
    {
        std::string text(static_cast<size_t>(size), '\0');
        const int length = ::LoadStringA(ResourceInstance(), id, &text[0], size);
        if (length < size - 1)
        {
            text.resize(length > 0 ? static_cast<size_t>(length) : 0);
            return text;
        }
    }
    return std::string();
}
