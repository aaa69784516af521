#pragma once
#include <windows.h>

#include <string>

class CAbstractProcess;
class CScanItemsInfo;
class SettingsStore;

// The pages the main window switches between.
enum MainWindowPage
{
    kPageResults = 1,
    kPageScan = 2,
    kPageStartup = 3,
    kPageSettings = 4,
    kPageIgnoreList = 5,
    kPageBackup = 6,
    kPageDefrag = 12,
    kPageAbout = 13,
};

// What a page may ask of the program's shell. Pages reach the shell through
// this one door (ProgramShell()), never through the main window's or the
// application's own headers, so that neither the pages nor the scan road
// know how the shell is built. The application object answers it.
class PageShell
{
public:
    // The main window: its page switch, the settings page at one of its
    // tabs, the captions above the page on show, and its close, which is
    // refused while a job runs.
    virtual void ShowPage(int page) = 0;
    virtual void ShowSettingsTab(int tab) = 0;
    virtual void SetPageCaptions(const std::string& caption, const std::string& step) = 0;
    virtual void CloseMainWindow() = 0;

    // The settings: the record the pages read, where they are kept, and
    // their load and save.
    virtual SettingsStore& Settings() = 0;

    // The product's name, as windows and message boxes are titled.
    virtual const char* ProductTitle() const = 0;
    // The hand cursor that link-like controls show.
    virtual HCURSOR HandCursor() const = 0;

    // The engine's job object and the results store, both for the whole
    // run; nullptr while the program has none.
    virtual CAbstractProcess* JobObject() = 0;
    virtual CScanItemsInfo* ResultsStore() = 0;

    // Whether the program was started to scan at log-on ("STARTSCAN"): an
    // automatic scan then never shuts the computer down or restarts it.
    virtual bool StartedToScanAtLogon() const = 0;
    // Restart (or shut down) the computer; FALSE when refused or failed.
    virtual BOOL ShutdownOrRestart(BOOL restart, BOOL ask) = 0;

protected:
    ~PageShell() = default;
};

// The program's shell.
PageShell& ProgramShell();
