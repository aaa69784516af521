#pragma once
#include <windows.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "Client/Controls/CBitmapDialog.h"
#include "Client/Controls/CLabel.h"
#include "Client/Controls/CxSkinButton.h"
#include "Client/Scan/CStatusDlg.h"
#include "Client/Scan/ScanRequest.h"
#include "Client/Pages/CAbout.h"
#include "Client/Pages/CSettingDlg.h"
#include "Client/Pages/CMonitorDlg.h"
#include "Client/Shell/CAbstractStatus.h"
#include "Client/Shell/PageHolder.h"
#include "Client/Shell/PageShell.h"
#include "Framework/CIcon.h"

// Maintenance pages: backup, defragmentation, ignore list.
#include "Client/Pages/CAdvanceOptions.h"
#include "Client/Pages/CAdvanceSettingsDlg.h"
#include "Client/Pages/CDefrag.h"

// The program's one top-level window: a borderless skinned dialog whose left
// column of buttons switches the pages shown at one rectangle of it. It
// answers a second start, closes the program (not while a job runs) and
// starts the update check.
class CRegClientDlg : public CBitmapDialog, public CAbstractStatus
{
public:
    explicit CRegClientDlg(CWnd* parent = nullptr);
    ~CRegClientDlg() override;

    void ShowPage(int page);
    // Shows the scan page and starts a scan of the ticked categories.
    void RequestScan(ScanMode mode, const std::string& path);
    void EnablePageButtons();
    // Closes the program, unless a job runs.
    void CloseMainWindow();

    // Pages join the switch here as the program gains them; a page number
    // without a window still switches the buttons and the caption. A page
    // joins with its window made, or with the maker that makes it when it is
    // first shown or otherwise addressed.
    void SetPageWindow(int page, CWnd* window);
    void SetPageMaker(int page, CWnd* window, PageHolder::Maker make);
    // What showing a page reloads on it.
    void SetPageRefresh(int page, std::function<void()> refresh);
    // The later scan steps, which the scan workflow shows itself and every
    // page switch hides.
    void AddScanStepPage(CWnd* page);
    // Starts the scan that RequestScan asks for (mode, path).
    void SetScanRequestHandler(std::function<void(ScanMode, const std::string&)> handler);
    // Runs the update check: silent, and the parent of its window.
    void SetUpdateCheckHandler(std::function<void(bool, CWnd*)> handler);
    // The settings page's update button comes here too.
    void CheckForUpdate(bool silent, CWnd* parent);
    // The window of a page that joined the switch, made now if it was not
    // yet; nullptr when there is none.
    CWnd* GetPageWindow(int page) { return PageWindow(page); }
    // Shows the settings page at one of its tabs (1 General, 2, 3 Schedule);
    // the settings page says how its tabs are shown.
    void ShowSettingsTab(int tab);
    void SetSettingsTabHandler(std::function<void(int)> handler);

    // The home page with the last results, and the captions above the
    // page on show (title and step).
    CStatusDlg& HomePage();
    void SetPageCaptions(const std::string& caption, const std::string& step);
    // The settings page, whose tabs the ignore-list page opens too.
    CSettingDlg& GetSettingsPage();

    static std::string HelpAddress();
    static std::string SiblingAddress();

    // The sink face is never given to the engine.
    void SetStatusText(const char*, const char*) override {}
    void OnProgress(int) override {}
    void OnItemFound(const char*, DWORD, int, int) override {}
    int OnJobFinished(int) override { return 1; }
    int OnDefragResult(int) override { return 0; }

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    void OnCancel() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnPaint() override;
    void OnTimer(UINT_PTR id) override;
    BOOL OnSetCursor(HWND window, UINT hitTest, UINT message) override;
    void OnDestroy() override;

private:
    static constexpr UINT_PTR kIconTimer = 0x1C0;
    // Makes the pages a scan goes through, and those on the way to the
    // ignore list, one a tick, while the user does nothing: the first Start
    // Scan or showing would otherwise make them then.
    static constexpr UINT_PTR kIdlePagesTimer = 0x1C1;
    static constexpr UINT kIdlePagesTickMs = 150;

    // One of those pages not yet made; false once all are.
    bool MakeOnePageWhileIdle();

    void InitSkin();
    // The home page and the scan road's pages, joined to the page switch and
    // the scan requests.
    void ConnectScanRoad();
    void JoinStartupPage();
    void JoinSettingsPage();
    void JoinAboutPage();
    void OnMinimize();
    void OnCheckUpdate();
    void OnHelp();
    void OnSiblingProduct();
    void OnTrayExit();
    void OnTrayRestore();
    void OnTrayHide();
    LRESULT OnInstanceRequest(WPARAM wParam, LPARAM lParam);
    LRESULT OnScanSharedPath(WPARAM wParam, LPARAM lParam);
    LRESULT OnAutoUpdate(WPARAM wParam, LPARAM lParam);
    // The window of a page, made now if it was not yet; nullptr while the
    // program has none for it.
    CWnd* PageWindow(int page);
    void HideScanSteps();
    void HidePagesBut(const CWnd* shown);
    void RefreshPage(int page);
    // The backup, defragmentation and ignore-list pages.
    void JoinMaintenancePages();

    CStatusDlg m_homePage;
    // The startup manager, page 3.
    CMonitorDlg m_startupPage;
    // The About page, page 13.
    CAbout m_aboutPage;

    CxSkinButton m_scanButton;
    CxSkinButton m_defragButton;
    CxSkinButton m_backupButton;
    CxSkinButton m_startupButton;
    CxSkinButton m_homeButton;
    CxSkinButton m_settingsLink;
    CxSkinButton m_helpLink;
    CxSkinButton m_updateLink;
    CxSkinButton m_aboutLink;
    CxSkinButton m_minimizeButton;
    CxSkinButton m_closeButton;
    CxSkinButton m_hiddenButton;
    CxSkinButton m_siblingBanner;
    CLabel m_captionLabel;
    CLabel m_stepLabel;
    CIcon m_hIcon;

    CSettingDlg m_settingsPage;
    CAdvanceOptions m_backupPage;
    CDefrag m_defragPage;
    CAdvanceSettingsDlg m_ignoreListPage;

    std::map<int, PageHolder> m_pages;
    std::map<int, std::function<void()>> m_pageRefresh;
    std::vector<CWnd*> m_scanStepPages;
    std::function<void(ScanMode, const std::string&)> m_scanRequest;
    std::function<void(bool, CWnd*)> m_updateCheck;
    std::function<void(int)> m_settingsTab;
};
