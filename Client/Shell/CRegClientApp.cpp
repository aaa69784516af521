#include "Client/Shell/CRegClientApp.h"

#include <objbase.h>

#include <memory>
#include <new>

#include "Client/Shell/CRegClientDlg.h"
#include "Client/Shell/EngineBinding.h"
#include "Client/Shell/ProgramMessages.h"
#include "Client/Shell/SharedInstanceData.h"
#include "Client/Shell/WindowsVersion.h"
#include "Framework/AnsiText.h"
#include "Framework/ModulePath.h"

char g_szAppTitle[50] = "Quillomar";
HCURSOR g_hHandCursor = NULL;

namespace
{
const char* const kSettingsFileName = "qmsettings.ini";
const char* const kProfileKey = "Software\\Quillomar";
}

std::string SettingsFileFor(const std::string& programPath)
{
    const size_t slash = programPath.find_last_of('\\');
    const std::string folder = slash == std::string::npos ? std::string() : programPath.substr(0, slash + 1);
    return folder + kSettingsFileName;
}

CAbstractTolvEngineInterface* GetEngineInterface()
{
    return g_pEngine;
}

PageShell& ProgramShell()
{
    return theApp;
}

CRegClientApp::CRegClientApp()
    : CWinApp(g_szAppTitle),
      m_pIniDoc(new IniDocument),
      m_strIniPath(SettingsFileFor(GetProgramPath())),
      m_settingsStore(m_settings, *m_pIniDoc, MakeSettingsLocation())
{
    m_settingsStore.onContextMenu = [this](bool present) {
        if (present)
            RegisterContextMenu();
        else
            UnregisterContextMenu();
    };
}

CRegClientApp::~CRegClientApp() = default;

SettingsLocation CRegClientApp::MakeSettingsLocation() const
{
    SettingsLocation location;
    location.portable = m_bPortable;
    location.iniPath = m_strIniPath;
    return location;
}

std::string CRegClientApp::GetProgramPath()
{
    // The first command-line word is only what was typed (often a bare name
    // from a prompt); the module's own file name is where the program lies.
    return ModulePath::FileName();
}

void CRegClientApp::SetAppName(const char* name)
{
    CWinApp::SetAppName(name ? name : "");
}

int CRegClientApp::GetWindowsVersionCode()
{
    return WindowsVersion::Current();
}

BOOL CRegClientApp::InitInstance()
{
    m_cmdInfo.ParseProcessCommandLine();
    if (!ClaimSingleInstance())
        return FALSE;

    CWinApp::InitInstance();
    SetAppName(g_szAppTitle);
    if (!ConfirmUntestedWindows())
        return FALSE;

    if (!InitializeCom())
        return FALSE;
    SetRegistryKey(kProfileKey);

    if (!StartEngine())
        return FALSE;
    g_hHandCursor = ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_HAND));
    LoadSettings();
    if (!m_pScanItems)
        m_pScanItems = new (std::nothrow) CScanItemsInfo;
    RunMainWindow();
    return FALSE;
}

BOOL CRegClientApp::ClaimSingleInstance()
{
    const std::string name = std::string(g_szAppTitle) + " mtx";
    ::SetLastError(ERROR_SUCCESS);
    m_instanceMutex.Attach(::CreateMutexA(nullptr, FALSE, name.c_str()));
    if (::GetLastError() == ERROR_SUCCESS)
        return TRUE;

    const HWND other = GetSharedMainWindow();
    if (other)
    {
        ::SetForegroundWindow(other);
        if (::IsIconic(other))
            ::ShowWindow(other, SW_RESTORE);
    }
    m_instanceMutex.Close();
    if (m_cmdInfo.m_bSchedule && other)
        ::PostMessageA(other, WM_INSTANCE_REQUEST, static_cast<WPARAM>(m_cmdInfo.m_bSchedule), 0);
    return FALSE;
}

BOOL CRegClientApp::ConfirmUntestedWindows()
{
    if (WindowsVersion::IsSupported(GetWindowsVersionCode()))
        return TRUE;
    const std::string question = AnsiText::Format(
        "%s is not tested on this Operating System.\nDo you still want to run %s?", g_szAppTitle, g_szAppTitle);
    return MessageBox(question.c_str(), MB_YESNO) == IDYES;
}

BOOL CRegClientApp::InitializeCom()
{
    if (FAILED(::CoInitialize(nullptr)))
    {
        MessageBox("Failed to Initialize the COM library", MB_OK);
        return FALSE;
    }
    m_comInitialised = true;
    return TRUE;
}

BOOL CRegClientApp::LoadEngine()
{
    DWORD error = 0;
    if (EngineBinding::Bind(QM_ENGINE_LIBRARY, error))
        return TRUE;
    MessageBox(EngineBinding::FailureText(error).c_str(), MB_OK);
    return FALSE;
}

CAbstractTolvEngineInterface* CRegClientApp::CallEngineCreate(HMODULE module)
{
    return EngineBinding::CallCreate(module);
}

void CRegClientApp::CallEngineRelease(HMODULE module, CAbstractTolvEngineInterface* engine)
{
    EngineBinding::CallRelease(module, engine);
}

BOOL CRegClientApp::StartEngine()
{
    if (!LoadEngine())
        return FALSE;
    if (!m_pEngineProcess)
        m_pEngineProcess = g_pEngine->CreateEngineProcess();
    if (m_pEngineProcess)
        return TRUE;
    // Every page and the main window rely on the job object: without one the
    // engine is as good as missing.
    MessageBox(EngineBinding::FailureText(0).c_str(), MB_OK);
    return FALSE;
}

void CRegClientApp::RunMainWindow()
{
    auto mainWindow = std::make_unique<CRegClientDlg>();
    ConnectUpdater(*mainWindow);
    SetMainWnd(mainWindow.get());
    mainWindow->DoModal();
    SetMainWnd(nullptr);
    // The main window's pages are sinks of the engine's jobs: they go only
    // once a job's thread that still winds down has ended. One that never
    // ends keeps them (the process ends around it).
    if (!m_trackedJob.WaitForThreadEnd(kJobEndWaitMs))
    {
        m_jobThreadWaitedOut = true;
        mainWindow.release();
    }
}

void CRegClientApp::ReleaseEngine()
{
    // Nothing the job's thread may still use is given back while it runs:
    // not the job object, not the results store, not the engine's code. A
    // thread that the main window's end waited out is not waited for again.
    if (!m_trackedJob.WaitForThreadEnd(m_jobThreadWaitedOut ? 0 : kJobEndWaitMs))
        return;
    // Everything that holds COM objects goes before COM does: the job object
    // keeps a shell link of its own.
    if (m_pEngineProcess && g_pEngine)
        g_pEngine->DestroyEngineProcess(m_pEngineProcess);
    m_pEngineProcess = nullptr;
    if (g_hEngineModule && g_pEngine)
        CallEngineRelease(g_hEngineModule.Get(), g_pEngine);
    g_pEngine = nullptr;
    delete m_pScanItems;
    m_pScanItems = nullptr;
    g_hEngineModule.Close();
    if (m_comInitialised)
        ::CoUninitialize();
    m_comInitialised = false;
}

int CRegClientApp::ExitInstance()
{
    ReleaseEngine();
    const int code = CWinApp::ExitInstance();
    if (m_jobThreadWaitedOut)
        EndAroundJobThread(code);
    return code;
}

void CRegClientApp::EndAroundJobThread(int code)
{
    // A job's thread outlived the wait: it still runs in the engine's code
    // and reports to the pages. Returning would let the runtime destroy this
    // object with the pages and free the engine's library under it. The
    // settings and statistics are on disk already (each is saved as it
    // changes), so the process ends here, that thread with it, and nothing
    // is destroyed first.
    ::TerminateProcess(::GetCurrentProcess(), static_cast<UINT>(code));
}

// ---- The shell the pages reach ----

void CRegClientApp::ShowPage(int page)
{
    if (m_shellWindow)
        m_shellWindow->ShowPage(page);
}

void CRegClientApp::ShowSettingsTab(int tab)
{
    if (m_shellWindow)
        m_shellWindow->ShowSettingsTab(tab);
}

void CRegClientApp::SetPageCaptions(const std::string& caption, const std::string& step)
{
    if (m_shellWindow)
        m_shellWindow->SetPageCaptions(caption, step);
}

void CRegClientApp::CloseMainWindow()
{
    if (m_shellWindow)
        m_shellWindow->CloseMainWindow();
}

const char* CRegClientApp::ProductTitle() const
{
    return g_szAppTitle;
}

HCURSOR CRegClientApp::HandCursor() const
{
    return g_hHandCursor;
}

CAbstractProcess* CRegClientApp::JobObject()
{
    return m_pEngineProcess ? &m_trackedJob : nullptr;
}

void CRegClientApp::LoadSettings()
{
    m_settingsStore.Load();
    m_bSiblingInstalled = m_settingsStore.IsSiblingInstalled();
}

void CRegClientApp::SaveSettings()
{
    m_settingsStore.Save();
}

void CRegClientApp::SaveLastScan(const std::string& text)
{
    m_settingsStore.SaveLastScan(text);
}
