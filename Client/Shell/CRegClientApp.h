#pragma once
#include <windows.h>

#include <memory>
#include <string>

#include "Client/Shell/CCommandLineInfoEx.h"
#include "Client/Shell/IniDocument.h"
#include "Client/Shell/PageShell.h"
#include "Client/Shell/SettingsRecord.h"
#include "Client/Shell/SettingsStore.h"
#include "Client/Shell/TrackedJobObject.h"
#include "Engine/CAbstractProcess.h"
#include "Engine/CAbstractTolvEngineInterface.h"
#include "Framework/CHandle.h"
#include "Framework/CWinApp.h"

#include "Client/Controls/CSystemTray.h"
#include "Client/Scan/CScanItemsInfo.h"

class CRegClientDlg;
class CRegUpdateDlg;

#include "Client/Scan/CRepairResultDlg.h"
#include "Client/Scan/CScanDlg.h"
#include "Client/Scan/CScanningDlg.h"
#include "Client/Scan/CScanResultDlg.h"
#include "Client/Scan/ScanWorkflow.h"

// The product name: window title, message-box caption, mutex name prefix.
extern char g_szAppTitle[50];
// The system hand cursor, for link-like controls.
extern HCURSOR g_hHandCursor;

// The program's one application object. It starts the program (single
// instance, version check, COM, engine, settings, results store), runs the
// main window modally, and gives everything back when that window closes,
// once the engine's job thread has ended. It owns what lives for the whole
// run, and it is the shell that pages reach (PageShell).
class CRegClientApp : public CWinApp, public PageShell
{
public:
    CRegClientApp();
    ~CRegClientApp() override;

    BOOL InitInstance() override;
    int ExitInstance() override;

    // The program's own file, whatever the command line calls it.
    static std::string GetProgramPath();
    // Message boxes take this name as their caption.
    void SetAppName(const char* name);
    static int GetWindowsVersionCode();

    // COM for this thread, given back by ExitInstance; shows the failure.
    BOOL InitializeCom();
    BOOL LoadEngine();
    static CAbstractTolvEngineInterface* CallEngineCreate(HMODULE module);
    static void CallEngineRelease(HMODULE module, CAbstractTolvEngineInterface* engine);

    void LoadSettings();
    void SaveSettings();
    // Stores the date text of a finished scan and shows it.
    void SaveLastScan(const std::string& text);
    SettingsStore& GetSettingsStore() { return m_settingsStore; }

    // Restart (or shut down) the computer; asks first when ask is set, and
    // always before a shutdown. FALSE when refused or when it failed.
    BOOL ShutdownOrRestart(BOOL restart, BOOL ask) override;
    // The self-closing question; FALSE only when the user cancels.
    BOOL ConfirmShutdown(BOOL restart);

    // ---- updater and Explorer menu ----
    // Runs the updater modally: the main window's link, the settings page's
    // button and the start-up check all come here. mainWindow answers the
    // settings page's check boxes that the query reports.
    void RunUpdateCheck(bool silent, CWnd* parent, CRegClientDlg& mainWindow);
    // Gives the main window its way to the updater.
    void ConnectUpdater(CRegClientDlg& mainWindow);
    // One update query with the system's message boxes; TRUE with the
    // download address when a newer version exists.
    BOOL CheckForUpdate(std::string& address, int silent);
    void RegisterContextMenu();
    void UnregisterContextMenu();

    // ---- the shell the pages reach ----
    void ShowPage(int page) override;
    void ShowSettingsTab(int tab) override;
    void SetPageCaptions(const std::string& caption, const std::string& step) override;
    void CloseMainWindow() override;
    SettingsStore& Settings() override { return m_settingsStore; }
    const char* ProductTitle() const override;
    HCURSOR HandCursor() const override;
    CAbstractProcess* JobObject() override;
    CScanItemsInfo* ResultsStore() override { return m_pScanItems; }
    bool StartedToScanAtLogon() const override { return m_cmdInfo.m_bStartScan != 0; }
    // The main window joins the shell while it has its window.
    void JoinShell(CRegClientDlg* window) { m_shellWindow = window; }
    void LeaveShell(CRegClientDlg* window)
    {
        if (m_shellWindow == window)
            m_shellWindow = nullptr;
    }
    // The engine's job object as the pages use it, with what the program
    // knows of the job's thread.
    TrackedJobObject& TrackedJob() { return m_trackedJob; }
    // How long the program waits at its end for a job's thread that still
    // runs (one the user stopped, winding down).
    static const DWORD kJobEndWaitMs = 30000;

    CSystemTray m_trayIcon;

    // The first scan steps: the categories and the scan's progress.
    CScanDlg m_scanPage;
    CScanningDlg m_scanningPage;

    // The last scan steps: findings and repair, and the repair summary.
    CScanResultDlg m_scanResultPage;
    CRepairResultDlg m_repairResultPage;
    // The scan road through those pages.
    ScanWorkflow m_scanWorkflow{m_scanPage, m_scanningPage, m_scanResultPage, m_repairResultPage};

    SettingsRecord m_settings;
    CCommandLineInfoEx m_cmdInfo;
    CAbstractProcess* m_pEngineProcess = nullptr;
    CScanItemsInfo* m_pScanItems = nullptr;
    int m_bPortable = 1;
    int m_bSiblingInstalled = 0;
    std::unique_ptr<IniDocument> m_pIniDoc;
    std::string m_strIniPath;

    typedef int(WINAPI* PFN_MESSAGE_BOX_TIMEOUT)(HWND, LPCSTR, LPCSTR, UINT, WORD, DWORD);
    PFN_MESSAGE_BOX_TIMEOUT m_pfnMessageBoxTimeout = nullptr;

private:
    // FALSE when another instance runs; it was told and brought forward.
    BOOL ClaimSingleInstance();
    BOOL ConfirmUntestedWindows();
    BOOL StartEngine();
    void RunMainWindow();
    SettingsLocation MakeSettingsLocation() const;

    // Gives back the job object, the store and the library, only when the
    // job's thread has ended.
    void ReleaseEngine();
    // Ends the process at once, destroying nothing a job's thread that is
    // still running uses.
    static void EndAroundJobThread(int code);

    CRegUpdateDlg* m_openUpdater = nullptr;
    CRegClientDlg* m_shellWindow = nullptr;
    TrackedJobObject m_trackedJob{m_pEngineProcess};
    // The main window's end waited for the job's thread in vain.
    bool m_jobThreadWaitedOut = false;
    CHandle m_instanceMutex;
    bool m_comInitialised = false;
    SettingsStore m_settingsStore;
};

// The one application object, defined beside the program's entry point.
extern CRegClientApp theApp;

CAbstractTolvEngineInterface* GetEngineInterface();

// Where the settings file lies for a program at programPath: its folder (up
// to and including the last "\") followed by "qmsettings.ini".
std::string SettingsFileFor(const std::string& programPath);
