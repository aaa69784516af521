#include "Client/Scan/ScanWorkflow.h"

#include "Client/Scan/CScanDlg.h"
#include "Client/Scan/CScanningDlg.h"
#include "Client/Scan/CStatusDlg.h"
#include "Client/Shell/CRegClientApp.h"
#include "Client/Shell/CRegClientDlg.h"
#include "Client/res/ScanPagesResource.h"

void ConnectScanWorkflow(CRegClientDlg& window, CStatusDlg& home)
{
    // Without the pages' templates (a test of the bare main window) nothing
    // is connected.
    if (!home.Create(IDD_STATUS_PAGE, &window))
        return;
    window.SetPageWindow(kPageResults, &home);
    window.SetPageRefresh(kPageResults, [&home] {
        home.RefreshIgnoredCounts();
        home.LoadLastResults();
    });

    CScanDlg& options = theApp.m_scanPage;
    CScanningDlg& progress = theApp.m_scanningPage;
    options.SetStepPages(&progress, &theApp.m_scanResultPage, &theApp.m_repairResultPage);
    progress.SetStepPages(&options, &theApp.m_scanResultPage);
    if (!options.Create(IDD_SCAN_PAGE, &window))
        return;
    window.SetPageWindow(kPageScan, &options);
    window.SetPageRefresh(kPageScan, [&options] { options.ShowStep(kStepCurrent); });
    window.AddScanStepPage(&progress);

    window.SetScanRequestHandler([&options, &progress](int mode, const std::string& path) {
        progress.m_scanPath = path;
        progress.m_scanOption = mode;
        options.StartScan();
    });
}
