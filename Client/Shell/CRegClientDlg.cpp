#include "Client/Shell/CRegClientDlg.h"

#include "Client/Scan/CScanDlg.h"
#include "Client/Scan/ScanWorkflow.h"
#include "Client/Shell/CRegClientApp.h"
#include "Client/Shell/ProductInfo.h"
#include "Client/Shell/ProgramMessages.h"
#include "Client/Shell/SharedInstanceData.h"
#include "Client/res/AboutResource.h"
#include "Client/res/ScanPagesResource.h"
#include "Client/res/SettingsResource.h"
#include "Client/res/ShellResource.h"
#include "Client/res/StartupResource.h"
#include "Framework/CDataExchange.h"
#include "Framework/CPaintDC.h"
#include "Framework/ShellCalls.h"

namespace
{
const int kPageButtons[] = {IDC_HOME_BUTTON, IDC_SCAN_BUTTON, IDC_STARTUP_BUTTON, IDC_BACKUP_BUTTON,
                            IDC_DEFRAG_BUTTON};

// What showing a page does besides showing it: which page button goes grey
// (0: none) and the caption above the page.
struct PageEntry
{
    int page;
    int button;
    const char* caption;
};
const PageEntry kPageEntries[] = {
    {kPageResults, IDC_HOME_BUTTON, "RESULTS"},
    {kPageScan, IDC_SCAN_BUTTON, ""},
    {kPageStartup, IDC_STARTUP_BUTTON, "MANAGE STARTUP"},
    {kPageSettings, 0, ""},
    {kPageIgnoreList, 0, "SETTINGS - IGNORE LIST"},
    {kPageBackup, IDC_BACKUP_BUTTON, "BACKUP"},
    {kPageDefrag, IDC_DEFRAG_BUTTON, ""},
    {kPageAbout, 0, "ABOUT"},
};

const PageEntry* FindPageEntry(int page)
{
    for (const PageEntry& entry : kPageEntries)
        if (entry.page == page)
            return &entry;
    return nullptr;
}
}

CRegClientDlg::CRegClientDlg(CWnd* parent)
    : CBitmapDialog(IDD_MAIN_WINDOW, parent), m_backupPage(this), m_defragPage(this), m_ignoreListPage(this)
{
}

CRegClientDlg::~CRegClientDlg() = default;

std::string CRegClientDlg::HelpAddress()
{
    return std::string(QM_PRODUCT_SITE) + "help/";
}

std::string CRegClientDlg::SiblingAddress()
{
    std::string version;
    for (const char* c = QM_PROGRAM_VERSION; *c; ++c)
        if (*c != '.')
            version += *c;
    return std::string(QM_SIBLING_SITE) + "index.html?TID=R" + version.substr(0, 4);
}

void CRegClientDlg::DoDataExchange(CDataExchange* dx)
{
    CBitmapDialog::DoDataExchange(dx);
    dx->Control(IDC_SCAN_BUTTON, m_scanButton);
    dx->Control(IDC_DEFRAG_BUTTON, m_defragButton);
    dx->Control(IDC_BACKUP_BUTTON, m_backupButton);
    dx->Control(IDC_STARTUP_BUTTON, m_startupButton);
    dx->Control(IDC_HOME_BUTTON, m_homeButton);
    dx->Control(IDC_SETTINGS_LINK, m_settingsLink);
    dx->Control(IDC_HELP_LINK, m_helpLink);
    dx->Control(IDC_UPDATE_LINK, m_updateLink);
    dx->Control(IDC_ABOUT_LINK, m_aboutLink);
    dx->Control(IDC_MINIMIZE_BUTTON, m_minimizeButton);
    dx->Control(IDC_CLOSE_BUTTON, m_closeButton);
    dx->Control(IDC_HIDDEN_BUTTON, m_hiddenButton);
    dx->Control(IDC_SIBLING_BANNER, m_siblingBanner);
    dx->Control(IDC_CAPTION_LABEL, m_captionLabel);
    dx->Control(IDC_STEP_LABEL, m_stepLabel);
}

BOOL CRegClientDlg::OnInitDialog()
{
    CBitmapDialog::OnInitDialog();
    SetSharedMainWindow(m_hWnd);
    theApp.JoinShell(this);

    m_hIcon.Attach(static_cast<HICON>(::LoadImageA(CWinApp::ResourceInstance(), MAKEINTRESOURCEA(IDI_MAIN_ICON),
                                                   IMAGE_ICON, 0, 0, LR_DEFAULTSIZE)));
    // The window manager gets the icons once the first page is painted (a
    // timer comes after every paint): nothing the user looks at waits for
    // them, and handing them over is one of the dearer steps of the start.
    SetTimer(kIconTimer, USER_TIMER_MINIMUM);
    m_aboutLink.ShowWindow(SW_SHOW);
    InitSkin();

    // The later scan steps, which every page switch hides once they are made.
    for (CWnd* step : theApp.m_scanWorkflow.LaterSteps())
        AddScanStepPage(step);

    // The settings page is made when it is first shown, or when the update
    // check reads its boxes; it holds the stored options from then on and
    // reads the Task Scheduler, which may first have to start, when shown.
    if (theApp.m_cmdInfo.m_bSchedule || theApp.m_cmdInfo.m_bStartScan)
    {
        // A scheduled or log-on start goes straight to its scan and leaves
        // the update check alone.
        RequestScan(ScanModeOf(theApp.m_cmdInfo.m_bSchedule), std::string());
        return TRUE;
    }
    ShowPage(kPageScan);
    if (theApp.m_settings.softwareUpdate)
        PostMessage(WM_AUTO_UPDATE);
    return TRUE;
}

namespace
{
// Normal, pressed, hover and disabled bitmaps of each button; 0: none.
struct ButtonSkin
{
    CxSkinButton CRegClientDlg::*button;
    int normal, pressed, hover, disabled;
};
}

void CRegClientDlg::InitSkin()
{
    SetBitmap(IDB_MAIN_BACKGROUND);
    SetTransparentColor(RGB(255, 0, 255));
    EnableRegion(1);
    EnableClientDrag(1);
    SetWindowText(g_szAppTitle);

    const ButtonSkin skins[] = {
        {&CRegClientDlg::m_scanButton, IDB_SCAN_NORMAL, IDB_SCAN_NORMAL, IDB_SCAN_HOVER, IDB_SCAN_DISABLED},
        {&CRegClientDlg::m_defragButton, IDB_DEFRAG_NORMAL, IDB_DEFRAG_NORMAL, IDB_DEFRAG_HOVER, IDB_DEFRAG_DISABLED},
        {&CRegClientDlg::m_backupButton, IDB_BACKUP_NORMAL, IDB_BACKUP_NORMAL, IDB_BACKUP_HOVER, IDB_BACKUP_DISABLED},
        {&CRegClientDlg::m_startupButton, IDB_STARTUP_NORMAL, IDB_STARTUP_NORMAL, IDB_STARTUP_HOVER,
         IDB_STARTUP_DISABLED},
        {&CRegClientDlg::m_homeButton, IDB_HOME_NORMAL, IDB_HOME_NORMAL, IDB_HOME_HOVER, IDB_HOME_DISABLED},
        {&CRegClientDlg::m_settingsLink, IDB_SETTINGS_NORMAL, IDB_SETTINGS_HOVER, IDB_SETTINGS_HOVER, 0},
        {&CRegClientDlg::m_helpLink, IDB_HELP_NORMAL, IDB_HELP_HOVER, IDB_HELP_HOVER, 0},
        {&CRegClientDlg::m_updateLink, IDB_UPDATE_NORMAL, IDB_UPDATE_HOVER, IDB_UPDATE_HOVER, 0},
        {&CRegClientDlg::m_aboutLink, IDB_ABOUT_NORMAL, IDB_ABOUT_HOVER, IDB_ABOUT_HOVER, 0},
        {&CRegClientDlg::m_minimizeButton, IDB_MINIMIZE_NORMAL, IDB_MINIMIZE_HOVER, IDB_MINIMIZE_HOVER, 0},
        {&CRegClientDlg::m_closeButton, IDB_CLOSE_NORMAL, IDB_CLOSE_HOVER, IDB_CLOSE_HOVER, 0},
        {&CRegClientDlg::m_hiddenButton, IDB_HIDDEN_BUTTON, IDB_HIDDEN_BUTTON, 0, 0},
        {&CRegClientDlg::m_siblingBanner, IDB_SIBLING_NORMAL, IDB_SIBLING_HOVER, IDB_SIBLING_HOVER, 0},
    };
    for (const ButtonSkin& skin : skins)
        (this->*skin.button).SetSkin(skin.normal, skin.pressed, skin.hover, skin.disabled, 0, 0, 0, 0, 0);
    if (theApp.m_bSiblingInstalled)
        m_siblingBanner.ShowWindow(SW_HIDE);
    // The scan page is the first one shown; the others are made when they
    // are first shown or addressed, so that the start makes only that one.
    ConnectScanRoad();
    JoinMaintenancePages();
    JoinStartupPage();
    JoinSettingsPage();
    JoinAboutPage();

    // The captions sit in the left column under the page buttons; at 12
    // points the longest ("SETTINGS - SCHEDULE") would not fit its width.
    for (CLabel* label : {&m_captionLabel, &m_stepLabel})
        label->SetFontName("Verdana").SetFontSize(9).SetFontBold(true).SetTransparent(true).SetTextColor(
            RGB(0, 0, 0));
}

void CRegClientDlg::ConnectScanRoad()
{
    ScanWorkflow& road = theApp.m_scanWorkflow;
    // The road keeps the statistics on the home page: it reaches the page
    // through the page switch, which makes it when the road first needs it.
    SetPageMaker(kPageResults, &m_homePage, [this] { return m_homePage.Create(IDD_STATUS_PAGE, this); });
    SetPageRefresh(kPageResults, [this] {
        if (!m_homePage.GetSafeHwnd())
            return;
        m_homePage.RefreshIgnoredCounts();
        m_homePage.LoadLastResults();
    });
    road.JoinHomePage([this] { return static_cast<CStatusDlg*>(PageWindow(kPageResults)); });
    // Without the pages' templates (a test of the bare main window) nothing
    // more is connected.
    const bool made = road.CreateFirstSteps(this);
    if (!made)
        return;
    SetPageWindow(kPageScan, &road.Options());
    SetPageRefresh(kPageScan, [&road] { road.ShowStep(kStepCurrent); });
    SetScanRequestHandler([&road](ScanMode mode, const std::string& path) { road.RequestScan(mode, path); });
}

void CRegClientDlg::SetPageCaptions(const std::string& caption, const std::string& step)
{
    // Drawn now, the captions would draw the page just shown under them, all
    // in this message; the window draws both as it gets to them.
    m_captionLabel.SetTextDrawnLater(caption);
    m_stepLabel.SetTextDrawnLater(step);
}

CStatusDlg& CRegClientDlg::HomePage()
{
    PageWindow(kPageResults);
    return m_homePage;
}

void CRegClientDlg::JoinStartupPage()
{
    SetPageMaker(kPageStartup, &m_startupPage, [this] { return m_startupPage.Create(IDD_STARTUP_PAGE, this); });
    SetPageRefresh(kPageStartup, [this] { m_startupPage.Refresh(); });
}

// The settings page; its update button takes the update link's road.
void CRegClientDlg::JoinSettingsPage()
{
    SetPageMaker(kPageSettings, &m_settingsPage, [this] {
        if (!m_settingsPage.Create(IDD_SETTINGS, this))
            return false;
        m_settingsPage.SetUpdateCheck([this] { OnCheckUpdate(); });
        return true;
    });
    SetPageRefresh(kPageSettings, [this] { m_settingsPage.Refresh(); });
    // The ignore-list page's tabs lead back to these.
    SetSettingsTabHandler([this](int tab) {
        if (PageWindow(kPageSettings))
            m_settingsPage.ShowTab(tab);
    });
}

CSettingDlg& CRegClientDlg::GetSettingsPage()
{
    PageWindow(kPageSettings);
    return m_settingsPage;
}

void CRegClientDlg::JoinAboutPage()
{
    SetPageMaker(kPageAbout, &m_aboutPage, [this] { return m_aboutPage.Create(IDD_ABOUT, this); });
}

void CRegClientDlg::OnDestroy()
{
    // A second start after this point must not find a window that is gone.
    if (GetSharedMainWindow() == m_hWnd)
        SetSharedMainWindow(NULL);
    // The settings page stores its boxes when it goes; one never made holds
    // what the settings hold, and they are stored the same.
    if (m_pages.count(kPageSettings) && !m_pages[kPageSettings].IsMade())
        theApp.SaveSettings();
    theApp.LeaveShell(this);
    CBitmapDialog::OnDestroy();
}

CWnd* CRegClientDlg::PageWindow(int page)
{
    const auto found = m_pages.find(page);
    return found == m_pages.end() ? nullptr : found->second.Window();
}

void CRegClientDlg::SetPageWindow(int page, CWnd* window)
{
    m_pages[page] = PageHolder(window);
}

void CRegClientDlg::SetPageMaker(int page, CWnd* window, PageHolder::Maker make)
{
    m_pages[page] = PageHolder(window, std::move(make));
}

void CRegClientDlg::AddScanStepPage(CWnd* page)
{
    m_scanStepPages.push_back(page);
}

void CRegClientDlg::EnablePageButtons()
{
    for (int id : kPageButtons)
        ::EnableWindow(GetDlgItem(id), TRUE);
}

void CRegClientDlg::HideScanSteps()
{
    for (CWnd* step : m_scanStepPages)
        if (step && step->GetSafeHwnd())
            step->ShowWindow(SW_HIDE);
}

void CRegClientDlg::HidePagesBut(const CWnd* shown)
{
    // A page never made has nothing to hide; the page about to show is not
    // hidden first, which would only draw what is behind it.
    for (const auto& entry : m_pages)
        if (CWnd* window = entry.second.MadeWindow())
            if (window != shown)
                window->ShowWindow(SW_HIDE);
}

void CRegClientDlg::ShowPage(int page)
{
    const PageEntry* entry = FindPageEntry(page);
    // The scan page shows its current step as it is refreshed below.
    if (!entry || page != kPageScan)
        HideScanSteps();
    if (!entry)
    {
        SetPageCaptions("", "");
        return;
    }
    EnablePageButtons();
    if (entry->button)
        ::EnableWindow(GetDlgItem(entry->button), FALSE);
    CWnd* const window = PageWindow(page);
    HidePagesBut(window);
    if (window)
        window->ShowWindow(SW_SHOW);
    SetPageCaptions(entry->caption, "");
    RefreshPage(page);
}

void CRegClientDlg::JoinMaintenancePages()
{
    SetPageMaker(kPageBackup, &m_backupPage, [this] { return m_backupPage.Create(0, this); });
    SetPageRefresh(kPageBackup, [this] {
        if (m_backupPage.GetSafeHwnd())
            m_backupPage.Refresh();
    });
    SetPageMaker(kPageDefrag, &m_defragPage, [this] { return m_defragPage.Create(0, this); });
    SetPageMaker(kPageIgnoreList, &m_ignoreListPage, [this] { return m_ignoreListPage.Create(0, this); });
    SetPageRefresh(kPageIgnoreList, [this] {
        if (m_ignoreListPage.GetSafeHwnd())
            m_ignoreListPage.Refresh();
    });
}

void CRegClientDlg::ShowSettingsTab(int tab)
{
    ShowPage(kPageSettings);
    if (m_settingsTab)
        m_settingsTab(tab);
}

void CRegClientDlg::SetSettingsTabHandler(std::function<void(int)> handler)
{
    m_settingsTab = std::move(handler);
}

void CRegClientDlg::RefreshPage(int page)
{
    const auto refresh = m_pageRefresh.find(page);
    if (refresh != m_pageRefresh.end() && refresh->second)
        refresh->second();
}

void CRegClientDlg::SetPageRefresh(int page, std::function<void()> refresh)
{
    m_pageRefresh[page] = std::move(refresh);
}

void CRegClientDlg::RequestScan(ScanMode mode, const std::string& path)
{
    ShowPage(kPageScan);
    if (m_scanRequest)
        m_scanRequest(mode, path);
}

void CRegClientDlg::SetScanRequestHandler(std::function<void(ScanMode, const std::string&)> handler)
{
    m_scanRequest = std::move(handler);
}

void CRegClientDlg::OnCancel()
{
    // Closing would cut a running job off, except one the user stopped: the
    // program waits for its thread before it lets go.
    if (theApp.TrackedJob().KeepsProgramOpen())
    {
        MessageBox("Please stop active operation before closing.", nullptr, MB_ICONINFORMATION);
        return;
    }
    EndDialog(IDOK);
}

void CRegClientDlg::CloseMainWindow()
{
    OnCancel();
}

void CRegClientDlg::OnMinimize()
{
    ShowWindow(SW_MINIMIZE);
}

void CRegClientDlg::OnCheckUpdate()
{
    CheckForUpdate(false, nullptr);
}

LRESULT CRegClientDlg::OnAutoUpdate(WPARAM, LPARAM)
{
    CheckForUpdate(true, this);
    return 1;
}

void CRegClientDlg::CheckForUpdate(bool silent, CWnd* parent)
{
    if (m_updateCheck)
        m_updateCheck(silent, parent);
}

void CRegClientDlg::SetUpdateCheckHandler(std::function<void(bool, CWnd*)> handler)
{
    m_updateCheck = std::move(handler);
}

void CRegClientDlg::OnHelp()
{
    ShellCalls::Execute(m_hWnd, "open", HelpAddress().c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void CRegClientDlg::OnSiblingProduct()
{
    ShellCalls::Execute(m_hWnd, "open", SiblingAddress().c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void CRegClientDlg::OnTrayExit()
{
    OnCancel();
}

void CRegClientDlg::OnTrayRestore()
{
    ShowWindow(SW_RESTORE);
    ::SetForegroundWindow(m_hWnd);
}

void CRegClientDlg::OnTrayHide()
{
    ShowWindow(SW_HIDE);
    ShowWindow(SW_MINIMIZE);
    ShowWindow(SW_HIDE);
}

LRESULT CRegClientDlg::OnInstanceRequest(WPARAM wParam, LPARAM)
{
    // A request that comes while a job runs is dropped, not queued.
    if (!TrackedJobObject::IsJobRunning(theApp.JobObject()))
        RequestScan(ScanModeOf(static_cast<int>(wParam)), std::string());
    return 1;
}

LRESULT CRegClientDlg::OnScanSharedPath(WPARAM, LPARAM)
{
    if (!TrackedJobObject::IsJobRunning(theApp.JobObject()))
        RequestScan(ScanMode::WithPath, std::string(GetSharedPath()));
    return 1;
}

BOOL CRegClientDlg::OnCommand(WPARAM wParam, LPARAM lParam)
{
    const int id = LOWORD(wParam);
    // Menu commands come with code 0, buttons with BN_CLICKED (also 0).
    if (HIWORD(wParam) != BN_CLICKED)
        return CBitmapDialog::OnCommand(wParam, lParam);
    switch (id)
    {
    case IDC_HOME_BUTTON: ShowPage(kPageResults); return TRUE;
    case IDC_SCAN_BUTTON: ShowPage(kPageScan); return TRUE;
    case IDC_STARTUP_BUTTON: ShowPage(kPageStartup); return TRUE;
    case IDC_SETTINGS_LINK: ShowPage(kPageSettings); return TRUE;
    case IDC_BACKUP_BUTTON: ShowPage(kPageBackup); return TRUE;
    case IDC_DEFRAG_BUTTON: ShowPage(kPageDefrag); return TRUE;
    case IDC_ABOUT_LINK: ShowPage(kPageAbout); return TRUE;
    case IDC_CLOSE_BUTTON: CloseMainWindow(); return TRUE;
    case IDC_MINIMIZE_BUTTON: OnMinimize(); return TRUE;
    case IDC_UPDATE_LINK: OnCheckUpdate(); return TRUE;
    case IDC_HELP_LINK: OnHelp(); return TRUE;
    case IDC_SIBLING_BANNER: OnSiblingProduct(); return TRUE;
    case ID_TRAY_EXIT: OnTrayExit(); return TRUE;
    case ID_TRAY_RESTORE: OnTrayRestore(); return TRUE;
    case ID_TRAY_HIDE: OnTrayHide(); return TRUE;
    default: return CBitmapDialog::OnCommand(wParam, lParam);
    }
}

LRESULT CRegClientDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message)
    {
    case WM_INSTANCE_REQUEST: return OnInstanceRequest(wParam, lParam);
    case WM_SCAN_SHARED_PATH: return OnScanSharedPath(wParam, lParam);
    case WM_AUTO_UPDATE: return OnAutoUpdate(wParam, lParam);
    case WM_QUERYDRAGICON: return reinterpret_cast<LRESULT>(m_hIcon.Get());
    default: return CBitmapDialog::WindowProc(message, wParam, lParam);
    }
}

void CRegClientDlg::OnTimer(UINT_PTR id)
{
    if (id == kIdlePagesTimer)
    {
        // A click or key waiting is answered first, and a button held down
        // keeps its press: a dialog made takes the focus, and a button that
        // loses it lets its click go. The page is made at a later tick. The
        // focus goes back where the user left it.
        if (::GetQueueStatus(QS_INPUT) != 0 || ::GetCapture() != NULL)
            return;
        const HWND focus = ::GetFocus();
        if (!MakeOnePageWhileIdle())
            KillTimer(kIdlePagesTimer);
        if (focus && ::GetFocus() != focus && ::IsWindow(focus))
            ::SetFocus(focus);
        return;
    }
    if (id != kIconTimer)
    {
        CBitmapDialog::OnTimer(id);
        return;
    }
    KillTimer(kIconTimer);
    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon.Get()));
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon.Get()));
    SetTimer(kIdlePagesTimer, kIdlePagesTickMs);
}

bool CRegClientDlg::MakeOnePageWhileIdle()
{
    // Each is made hidden, as its first use would make it, and at most one
    // a tick: each takes tens of milliseconds.
    if (theApp.m_scanWorkflow.MakeNextLaterStep())
        return true;
    for (const int page : {kPageResults, kPageSettings, kPageIgnoreList})
    {
        const auto entry = m_pages.find(page);
        if (entry != m_pages.end() && !entry->second.WasTried())
        {
            entry->second.Window();
            return true;
        }
    }
    return false;
}

void CRegClientDlg::OnPaint()
{
    if (!::IsIconic(m_hWnd))
    {
        CBitmapDialog::OnPaint();
        return;
    }
    CPaintDC dc(m_hWnd);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.Get()), 0);
    const int iconWidth = ::GetSystemMetrics(SM_CXICON);
    const int iconHeight = ::GetSystemMetrics(SM_CYICON);
    const RECT client = GetClientRect();
    ::DrawIcon(dc, (client.right - client.left - iconWidth + 1) / 2, (client.bottom - client.top - iconHeight + 1) / 2,
               m_hIcon.Get());
}

BOOL CRegClientDlg::OnSetCursor(HWND window, UINT hitTest, UINT message)
{
    if (window == m_siblingBanner.GetSafeHwnd() && g_hHandCursor)
    {
        ::SetCursor(g_hHandCursor);
        return TRUE;
    }
    return CBitmapDialog::OnSetCursor(window, hitTest, message);
}
