// The update check and the Explorer menu entries of the application object.
#include "Client/Shell/CRegClientApp.h"

#include "Client/Shell/CRegClientDlg.h"
#include "Client/Shell/CRegUpdateDlg.h"
#include "Client/Shell/ExplorerContextMenu.h"
#include "Client/Shell/UpdateWorker.h"

namespace
{
// The settings page's check boxes that the update query reports.
const int kStartupScanBox = 1078;
const int kDisableScheduleBox = 1095;

bool IsBoxTicked(CWnd* page, int id)
{
    return page && page->GetSafeHwnd() && ::IsDlgButtonChecked(page->GetSafeHwnd(), id) == BST_CHECKED;
}

ExplorerContextMenu ProgramContextMenu()
{
    return ExplorerContextMenu(HKEY_CLASSES_ROOT, g_szAppTitle, CRegClientApp::GetProgramPath());
}

UpdateProtocol::QueryFacts FactsOf(const CRegClientApp& app, CWnd* settingsPage)
{
    UpdateProtocol::QueryFacts facts;
    facts.runCount = app.m_settings.runCount;
    facts.portable = app.m_bPortable != 0;
    facts.startupScan = IsBoxTicked(settingsPage, kStartupScanBox);
    facts.scheduleDisabled = IsBoxTicked(settingsPage, kDisableScheduleBox);
    return facts;
}
}

void CRegClientApp::RunUpdateCheck(bool silent, CWnd* parent, CRegClientDlg& mainWindow)
{
    // One updater at a time: a second request only brings it forward.
    if (m_openUpdater)
    {
        if (m_openUpdater->GetSafeHwnd())
            ::SetForegroundWindow(m_openUpdater->GetSafeHwnd());
        return;
    }
    CRegUpdateDlg updater(parent, silent ? 1 : 0, FactsOf(*this, mainWindow.GetPageWindow(kPageSettings)),
                          m_bPortable != 0);
    m_openUpdater = &updater;
    updater.DoModal();
    m_openUpdater = nullptr;
}

void CRegClientApp::ConnectUpdater(CRegClientDlg& mainWindow)
{
    mainWindow.SetUpdateCheckHandler(
        [this, &mainWindow](bool silent, CWnd* parent) { RunUpdateCheck(silent, parent, mainWindow); });
}

BOOL CRegClientApp::CheckForUpdate(std::string& address, int silent)
{
    UpdateProtocol::QueryFacts facts = FactsOf(*this, nullptr);
    facts.silent = silent != 0;
    return UpdateWorker(std::make_shared<UpdateJob>(facts, m_bPortable != 0)).CheckForUpdate(address);
}

void CRegClientApp::RegisterContextMenu()
{
    ProgramContextMenu().Register();
}

void CRegClientApp::UnregisterContextMenu()
{
    ProgramContextMenu().Unregister();
}
