#include "Client/Scan/CScanResultDlg.h"

#include <shlwapi.h>

#include <vector>

#include "Client/Scan/CScanItemsInfo.h"
#include "Client/Scan/CStatusDlg.h"
#include "Client/Scan/ClientCategories.h"
#include "Client/Scan/LastResults.h"
#include "Client/Shell/JobFinishGate.h"
#include "Client/Shell/PageShell.h"
#include "Client/Shell/ProgramMessages.h"
#include "Client/Shell/SettingsStore.h"
#include "Client/Shell/TrackedJobObject.h"
#include "Engine/CAbstractProcess.h"
#include "Client/res/ScanResultsResource.h"
#include "Engine/ScanCategory.h"
#include "Framework/AnsiText.h"
#include "Framework/CClientDC.h"
#include "Framework/CDataExchange.h"
#include "Framework/CSelectObject.h"

namespace
{
// The page's place in the main window.
const RECT kPagePlace = {183, 62, 183 + 509, 62 + 332};
// How far the tree lies inside the page's edges; above it the description
// of the chosen category has three lines, room for the longest one.
const int kTreeInsetLeft = 8, kTreeInsetTop = 96, kTreeInsetRight = 7, kTreeInsetBottom = 56;
const char kCaptionGap[] = "        ";
// Looks again at the finishing message while the job's thread still ends.
const UINT_PTR kFinishTimer = 2;
// Lists the findings for a repair, a part at each tick.
const UINT_PTR kListTimer = 3;
// Looks whether the ignore list took the findings ignored.
const UINT_PTR kIgnoreTimer = 4;
const UINT kIgnoreLookMs = 100;
const DWORD kListSliceMs = 30;
const int kFindingsBetweenLooks = 16;

std::string RemoveAll(std::string text, const std::string& part)
{
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at))
        text.erase(at, part.size());
    return text;
}

std::string CountedCaption(const std::string& caption, int count)
{
    return caption + kCaptionGap + "[" + AnsiText::Format("%d", count) + " Error(s)]";
}
}

CScanResultDlg::CScanResultDlg(CWnd* parent) : CBitmapDialog(IDD_SCAN_RESULTS, parent)
{
    m_pageBrush.CreateSolidBrush(RGB(255, 255, 255));
}

CScanResultDlg::~CScanResultDlg() = default;

void CScanResultDlg::DoDataExchange(CDataExchange* dx)
{
    CBitmapDialog::DoDataExchange(dx);
    dx->Control(IDC_RESULTS_HEADING, m_headingLabel);
    dx->Control(IDC_SELECTION_LABEL, m_selectionLabel);
    dx->Control(IDC_DESCRIPTION_CAPTION, m_descriptionCaption);
    dx->Control(IDC_DESCRIPTION, m_descriptionLabel);
    dx->Control(IDC_FINDINGS_COUNT, m_countLabel);
    dx->Control(IDC_RESULTS_STATUS, m_statusLabel);
    dx->Control(IDC_JUNK_LINE, m_junkLabel);
    dx->Control(IDC_RECYCLE_CAPTION, m_recycleCaption);
    dx->Control(IDC_TEMP_CAPTION, m_tempCaption);
    dx->Control(IDC_RECYCLE_CHECK, m_recycleCheck);
    dx->Control(IDC_TEMP_CHECK, m_tempCheck);
    dx->Control(IDC_RESULTS_PROGRESS, m_progress);
    dx->Control(IDC_REPAIR_BUTTON, m_repairButton);
    dx->Control(IDC_REPAIR_BUTTON2, m_secondRepairButton);
    dx->Control(IDC_RESULTS_BACK, m_backButton);
    dx->Control(IDC_IGNORE_BUTTON, m_ignoreButton);
    dx->Control(IDC_REGISTRY_TAB, m_registryTab);
    dx->Control(IDC_JUNK_TAB, m_junkTab);
}

BOOL CScanResultDlg::OnInitDialog()
{
    CBitmapDialog::OnInitDialog();
    m_jobReports.AnnounceTo(m_hWnd, WM_JOB_STATUS);
    SetTransparentStatics(0);
    InitSkin();
    MoveWindow(kPagePlace.left, kPagePlace.top, kPagePlace.right - kPagePlace.left,
               kPagePlace.bottom - kPagePlace.top, false);
    CreateTree();
    ShowRegistryGroup();
    return TRUE;
}

void CScanResultDlg::InitSkin()
{
    SetBitmap(IDB_RESULTS_BACKGROUND);
    m_repairButton.SetSkin(IDB_REPAIR_NORMAL, IDB_REPAIR_PRESSED, IDB_REPAIR_PRESSED, 0, 0, 0, 0, 0, 0);
    m_secondRepairButton.SetSkin(IDB_REPAIR2_NORMAL, IDB_REPAIR2_PRESSED, IDB_REPAIR2_PRESSED, 0, 0, 0, 0, 0, 0);
    m_backButton.SetSkin(IDB_RESULTS_BACK_NORMAL, IDB_RESULTS_BACK_PRESSED, IDB_RESULTS_BACK_PRESSED, 0, 0, 0, 0, 0,
                         0);
    m_ignoreButton.SetSkin(IDB_IGNORE_NORMAL, IDB_IGNORE_PRESSED, IDB_IGNORE_PRESSED, 0, 0, 0, 0, 0, 0);
    m_registryTab.SetSkin(IDB_REGISTRY_TAB, IDB_REGISTRY_TAB, 0, IDB_REGISTRY_TAB_DISABLED, 0, 0, 0, 0, 0);
    m_junkTab.SetSkin(IDB_JUNK_TAB, IDB_JUNK_TAB, 0, IDB_JUNK_TAB_DISABLED, 0, 0, 0, 0, 0);

    const COLORREF grey = RGB(68, 68, 68);
    const COLORREF blue = RGB(0, 55, 191);
    m_headingLabel.SetFontName("Arial").SetFontSize(12).SetFontBold(true).SetTransparent(true).SetTextColor(
        RGB(36, 134, 36));
    m_selectionLabel.SetFontName("Tahoma").SetFontSize(10).SetTransparent(true).SetTextColor(grey);
    m_descriptionCaption.SetFontName("Arial").SetFontSize(9).SetTransparent(true).SetTextColor(blue);
    m_descriptionLabel.SetFontName("Arial").SetFontSize(9).SetTransparent(true).SetTextColor(blue);
    m_countLabel.SetFontName("Arial").SetFontSize(8).SetFontBold(true).SetTransparent(true).SetTextColor(grey);
    m_statusLabel.SetFontName("Tahoma").SetFontSize(10).SetTransparent(true).SetTextColor(grey);
    m_junkLabel.SetFontName("Myriad Pro").SetFontSize(14).SetFontBold(true).SetTransparent(true).SetTextColor(
        RGB(157, 0, 0));
    for (CLabel* caption : {&m_recycleCaption, &m_tempCaption})
        caption->SetFontName("Tahoma").SetFontSize(8).SetTransparent(true).SetTextColor(RGB(0, 0, 0));

    m_progress.SetRange(0, 100);
    m_progress.SetPos(0);
    m_progress.SetStep(1);
}

void CScanResultDlg::CreateTree()
{
    if (m_tree.GetSafeHwnd())
        return;
    RECT place = GetClientRect();
    place.left += kTreeInsetLeft;
    place.top += kTreeInsetTop;
    place.right -= kTreeInsetRight;
    place.bottom -= kTreeInsetBottom;
    const DWORD style =
        WS_CHILD | WS_VISIBLE | WS_TABSTOP | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS;
    if (!m_tree.Create(style, place, m_hWnd, IDC_RESULTS_TREE))
        return;
    // Made once for the page's whole life: every finding shares them.
    m_tree.InitImageLists();
    m_tree.SetOwner(this);
    m_tree.SetResultsStore(ProgramShell().ResultsStore());
}

CLabel* CScanResultDlg::SelectionLabel()
{
    return m_selectionLabel.GetSafeHwnd() ? &m_selectionLabel : nullptr;
}

void CScanResultDlg::SetDescription(const std::string& description)
{
    m_descriptionLabel.SetText(AnsiText::Trimmed(RemoveAll(description, "Description :")));
}

void CScanResultDlg::SetJunkFileLine(const std::string& text)
{
    m_scan.junkText = text;
    m_junkLabel.SetText(text + " Junk Files Found");
}

void CScanResultDlg::PrepareToShow(bool registryGroup)
{
    WriteSelectionLine();
    SetJunkFileLine(m_scan.junkText);
    if (registryGroup)
        ShowRegistryGroup();
    else
        ShowJunkGroup();
}

int CScanResultDlg::CountAllErrors(CategoryCounts& counts) const
{
    CAbstractScanItemsInfo* store = ProgramShell().ResultsStore();
    int total = 0;
    for (const ClientCategory& category : kClientCategories)
    {
        const int count = store ? store->GetItemCount(category.bit) : 0;
        counts[category.bit] = count;
        total += count;
    }
    return total;
}

void CScanResultDlg::ShowResults(const ScanOutcome& scan)
{
    m_scan = scan;
    m_totalFindings = scan.found;
    m_selectedFindings = scan.found;
    CAbstractScanItemsInfo* store = ProgramShell().ResultsStore();
    m_tree.SetResultsStore(store);
    m_progress.SetRange(0, 100);
    m_progress.SetPos(0);
    m_progress.SetStep(1);
    m_progress.ShowWindow(SW_HIDE);
    m_statusLabel.SetText("");
    m_repairing = false;

    m_descriptionLabel.SetText("");
    // Thousands of findings go in: the tree is laid out and drawn once, when
    // they all are there.
    m_tree.SetRedraw(false);
    m_tree.ResetContents();
    EnableControls(true);
    if (store)
    {
        store->ExcludeItem("", kScanRecycleBin, 0);
        store->ExcludeItem("", kScanTempFiles, 0);
    }

    AddCategoryRoots();
    AddFindings();
    RenumberCaptions();
    m_tree.SetRedraw(true);
    SelectFirstRoot();
    m_countLabel.SetText(AnsiText::Format("%d", m_tree.GetItemsAdded()));
    WriteSelectionLine();

    const std::string scanTime = FormatScanTime(m_scan.endTick - m_scan.startTick);
    if (m_tree.GetItemsAdded() == 0)
    {
        const int excluded = m_tree.GetExcludedCount();
        FillSummary(m_tree.GetItemsAdded(), excluded, m_tree.GetItemsAdded() - excluded, scanTime);
    }
}

void CScanResultDlg::AddCategoryRoots()
{
    CAbstractScanItemsInfo* store = ProgramShell().ResultsStore();
    if (!store || !m_tree.GetSafeHwnd())
        return;
    for (size_t row = 0; row < kClientCategoryCount; ++row)
    {
        const ClientCategory& category = kClientCategories[row];
        if (!(m_scan.mask & category.bit))
            continue;
        const int count = store->GetItemCount(category.bit);
        if (count < 1)
            continue;
        m_tree.InsertCategory(ResultsCaptionOf(category) + kCaptionGap + "[" + AnsiText::Format("%d", count) + "]",
                              ResultsDescriptionOf(category), category.resultsImage);
    }
}

void CScanResultDlg::AddFindings()
{
    CAbstractScanItemsInfo* store = ProgramShell().ResultsStore();
    if (!store || !m_tree.GetSafeHwnd())
        return;
    for (const ClientCategory& category : kClientCategories)
    {
        if (!(m_scan.mask & category.bit) || store->GetItemCount(category.bit) < 1)
            continue;
        std::vector<const char*> listed;
        store->GetItems(&listed, category.bit);
        std::vector<std::string> texts;
        texts.reserve(listed.size());
        for (const char* text : listed)
            texts.emplace_back(text ? text : "");
        m_tree.AddItems(0, ResultsCaptionOf(category), texts, category.resultsImage);
    }
}

void CScanResultDlg::RenumberCaptions()
{
    for (HTREEITEM root = m_tree.GetRootItem(); root; root = m_tree.GetNextSiblingItem(root))
    {
        const std::string caption = CCheckedTreeCtrl::CaptionOf(m_tree.GetFullText(root));
        m_tree.SetItemText(root, CountedCaption(caption, m_tree.CategoryCount(caption)));
    }
}

void CScanResultDlg::SelectFirstRoot()
{
    if (!m_tree.GetSafeHwnd())
        return;
    HTREEITEM first = m_tree.GetRootItem();
    if (!first)
        return;
    m_tree.SelectItem(first);
    const auto& descriptions = m_tree.CategoryDescriptions();
    const auto found = descriptions.find(CCheckedTreeCtrl::CaptionOf(m_tree.GetFullText(first)));
    if (found != descriptions.end())
        SetDescription(found->second);
}

void CScanResultDlg::WriteSelectionLine()
{
    m_selectionLabel.SetText(AnsiText::Format("%d", m_selectedFindings) + " of " +
                             AnsiText::Format("%d", m_totalFindings) + " error(s) selected for repair");
}

void CScanResultDlg::EnableControls(bool enable)
{
    m_tree.EnableWindow(enable);
    m_backButton.EnableWindow(enable);
    m_repairButton.EnableWindow(enable);
    m_ignoreButton.ShowWindow(enable ? SW_SHOW : SW_HIDE);
    // The junk group too: a new scan or a repair that did not run leaves the
    // whole page usable.
    m_recycleCheck.EnableWindow(enable);
    m_tempCheck.EnableWindow(enable);
}

void CScanResultDlg::ShowRegistryGroup()
{
    m_registryTab.EnableWindow(false);
    m_junkTab.EnableWindow(true);
    for (CWnd* control : std::initializer_list<CWnd*>{&m_recycleCheck, &m_tempCheck, &m_recycleCaption, &m_tempCaption})
        control->ShowWindow(SW_HIDE);
    m_tree.ShowWindow(SW_SHOW);
}

void CScanResultDlg::ShowJunkGroup()
{
    m_junkTab.EnableWindow(false);
    m_registryTab.EnableWindow(true);
    m_tree.ShowWindow(SW_HIDE);
    for (CWnd* control : std::initializer_list<CWnd*>{&m_recycleCheck, &m_tempCheck, &m_recycleCaption, &m_tempCaption})
        control->ShowWindow(SW_SHOW);
}

void CScanResultDlg::OnJunkCheck(int id, DWORD category)
{
    if (CAbstractScanItemsInfo* store = ProgramShell().ResultsStore())
        store->ExcludeItem("", static_cast<int>(category), IsDlgButtonChecked(id) == BST_CHECKED ? 0 : -1);
}

std::string CScanResultDlg::FormatScanTime(DWORD milliseconds)
{
    char text[256] = {};
    if (::StrFromTimeIntervalA(text, 255, milliseconds, 3) > 0)
    {
        const std::string shown = AnsiText::Trimmed(text);
        if (!shown.empty())
            return shown;
    }
    // The system's formatter gave nothing (as under Wine): the same rounding
    // to three significant digits, spelt the same way.
    DWORD seconds = (milliseconds + 500) / 1000;
    if (seconds >= 1000)
        seconds = seconds / 10 * 10;
    const DWORD hours = seconds / 3600;
    const DWORD minutes = seconds / 60 % 60;
    const DWORD rest = seconds % 60;
    std::string result;
    if (hours)
        result += AnsiText::Format("%lu hr ", static_cast<unsigned long>(hours));
    if (hours || minutes)
        result += AnsiText::Format("%lu min ", static_cast<unsigned long>(minutes));
    if (!hours)
        result += AnsiText::Format("%lu sec", static_cast<unsigned long>(rest));
    return AnsiText::Trimmed(result);
}

std::string CScanResultDlg::CompactToWidth(HDC dc, const std::string& text, int width)
{
    // The call writes into a buffer of MAX_PATH characters: a longer text is
    // cut to fit first.
    char buffer[MAX_PATH] = {};
    lstrcpynA(buffer, text.c_str(), MAX_PATH);
    if (dc && width > 0)
        ::PathCompactPathA(dc, buffer, static_cast<UINT>(width));
    return buffer;
}

void CScanResultDlg::OnRepair()
{
    if (m_repairing)
        return;
    if (m_selectedFindings < 1)
    {
        MessageBox("Please select errors for repair.", nullptr, MB_OK | MB_ICONINFORMATION);
        return;
    }
    CAbstractProcess* job = ProgramShell().JobObject();
    // A job still winding down counts as running: the engine would refuse.
    if (TrackedJobObject::IsJobRunning(job))
    {
        MessageBox("Please stop other active operation before starting repair.", nullptr, MB_OK | MB_ICONINFORMATION);
        return;
    }
    m_repairing = true;
    m_selectionLabel.SetText("Repairing Errors");
    EnableControls(false);
    m_junkKBTotal = 0;
    m_recycleBinKB = 0.0;
    m_tempFilesKB = 0.0;
    m_jobReports.Restart();
    m_finishGate.Reset();

    CScanItemsInfo* store = ProgramShell().ResultsStore();
    // A try that never ran left its marks behind: what is unticked now is
    // what this repair leaves out.
    for (const std::string& mark : m_tree.ForgetExclusions())
        if (store)
            store->RemoveExclusionMark(mark);
    m_tree.SetResultsStore(store);
    // The job is made first and resumed only once everything is ready: it
    // counts as running from here on, so no other job and no close comes
    // between the steps that ready it, some of which wait for the timer.
    if (!job || !store || job->StartRepair(store, this) == -1)
    {
        AbandonRepair("The repair could not be started. Nothing was changed.");
        return;
    }
    BeginListingFindings();
}

void CScanResultDlg::BeginListingFindings()
{
    m_repairedFindings.Clear();
    m_offeredFindings = 0;
    m_skippedFindings = 0;
    m_listRoot = m_tree.GetRootItem();
    EnterListedRoot();
    ListSomeFindings();
}

void CScanResultDlg::EnterListedRoot()
{
    m_listLeaf = nullptr;
    if (!m_listRoot)
        return;
    m_listCaption = CCheckedTreeCtrl::CaptionOf(m_tree.GetFullText(m_listRoot));
    m_listCategory = FindClientCategoryByCaption(m_listCaption);
    if (m_listCategory)
        m_repairedFindings.AddCategory(m_listCategory->bit);
    m_listLeaf = m_tree.GetChildItem(m_listRoot);
}

void CScanResultDlg::ListSomeFindings()
{
    // Each finding is a few calls to the tree: tens of thousands of them are
    // listed a part at a time, so that the window answers in between.
    const DWORD start = ::GetTickCount();
    for (int listed = 1; m_listRoot; ++listed)
    {
        if (listed % kFindingsBetweenLooks == 0 && ::GetTickCount() - start >= kListSliceMs)
        {
            SetTimer(kListTimer, USER_TIMER_MINIMUM);
            return;
        }
        if (!m_listLeaf)
        {
            m_listRoot = m_tree.GetNextSiblingItem(m_listRoot);
            EnterListedRoot();
            continue;
        }
        ListFinding(m_listLeaf);
        m_listLeaf = m_tree.GetNextSiblingItem(m_listLeaf);
    }
    KillTimer(kListTimer);
    ContinueRepairStart();
}

void CScanResultDlg::ListFinding(HTREEITEM leaf)
{
    ++m_offeredFindings;
    if (m_tree.GetCheckState(leaf) == CCheckedTreeCtrl::kUnticked)
    {
        ++m_skippedFindings;
        m_tree.ExcludeFinding(leaf, m_listCaption);
    }
    else if (m_listCategory)
        m_repairedFindings.AddFinding(m_tree.GetFullText(leaf), m_listCategory->bit);
}

void CScanResultDlg::ContinueRepairStart()
{
    // The user is told whether the point was made: under a System Restore
    // that refuses, the repair goes on without one.
    const char* restoreNote = "";
    if (ProgramShell().Settings().Record().restorePoint && m_tree.GetItemsAdded() > m_tree.GetExcludedCount())
    {
        m_statusLabel.SetText("Setting Restore Point");
        restoreNote = SetRestorePoint() ? "Restore point made. " : "No restore point could be made. ";
        m_statusLabel.SetText("");
    }
    m_statusLabel.SetText(std::string(restoreNote) + "Starting repair...");
    // Which findings are there before the repair is asked on a worker:
    // thousands of them take seconds.
    if (m_repairedFindings.NotePresentBeforeOnWorker(m_hWnd, WM_PRESENCE_NOTED))
        return;
    m_repairedFindings.NotePresentBefore();
    OnPresenceNoted();
}

void CScanResultDlg::OnPresenceNoted()
{
    if (!m_repairing)
        return;
    if (CAbstractProcess* job = ProgramShell().JobObject())
        job->Resume();
}

void CScanResultDlg::AbandonRepair(const char* message)
{
    m_restorePoint.End();
    m_repairing = false;
    EnableControls(true);
    WriteSelectionLine();
    m_statusLabel.SetText("");
    MessageBox(message, nullptr, MB_OK | MB_ICONWARNING);
}

BOOL CScanResultDlg::SetRestorePoint()
{
    return m_restorePoint.Begin(std::string(ProgramShell().ProductTitle()) + " Restore Point before Repair") ? TRUE : FALSE;
}

void CScanResultDlg::OnIgnoreItem()
{
    HTREEITEM leaf = m_tree.GetSafeHwnd() ? m_tree.GetSelectedItem() : nullptr;
    if (!leaf || m_tree.ItemHasChildren(leaf) || !m_tree.GetParentItem(leaf))
        return;
    const std::string caption = CCheckedTreeCtrl::CaptionOf(m_tree.GetFullText(m_tree.GetParentItem(leaf)));
    const std::string text = m_tree.GetFullText(leaf);

    // The finding is held out at once; the list's file, which may be long,
    // is written on a worker, and a failure is told when it is known.
    CScanItemsInfo* store = ProgramShell().ResultsStore();
    if (store)
    {
        store->BeginAddIgnoreEntry(text.c_str(), caption.c_str());
        SetTimer(kIgnoreTimer, kIgnoreLookMs);
    }

    for (HTREEITEM ignored : FindingsIgnoredWith(leaf, store))
        LetIgnoredFindingGo(ignored);
    RenumberCaptions();
    m_countLabel.SetText(AnsiText::Format("%d", m_tree.GetItemsAdded()));

    if (!store)
        TellIgnoreListNotSaved();
    if (m_tree.GetItemsAdded() == 0 && m_workflow)
        m_workflow->ShowStep(kStepOptions);
}

void CScanResultDlg::TakeIgnoreOutcome()
{
    CScanItemsInfo* store = ProgramShell().ResultsStore();
    const CScanItemsInfo::ListChange outcome =
        store ? store->TakeIgnoreAddition() : CScanItemsInfo::ListChange::kFailed;
    if (outcome == CScanItemsInfo::ListChange::kPending)
        return;
    KillTimer(kIgnoreTimer);
    if (outcome == CScanItemsInfo::ListChange::kFailed)
        TellIgnoreListNotSaved();
}

void CScanResultDlg::TellIgnoreListNotSaved()
{
    MessageBox("The ignore list could not be saved, so this finding will be reported again at the next scan. "
               "It is left out of this repair.",
               nullptr, MB_OK | MB_ICONWARNING);
}

std::vector<HTREEITEM> CScanResultDlg::FindingsIgnoredWith(HTREEITEM leaf, const CScanItemsInfo* store) const
{
    std::vector<HTREEITEM> leaves;
    for (HTREEITEM root = m_tree.GetRootItem(); root; root = m_tree.GetNextSiblingItem(root))
        for (HTREEITEM child = m_tree.GetChildItem(root); child; child = m_tree.GetNextSiblingItem(child))
            if (child == leaf || (store && store->IsIgnoredSinceClear(m_tree.GetFullText(child))))
                leaves.push_back(child);
    return leaves;
}

void CScanResultDlg::LetIgnoredFindingGo(HTREEITEM leaf)
{
    const bool ticked = m_tree.GetCheckState(leaf) == CCheckedTreeCtrl::kTicked;
    // The tree lowers its own counts as it lets the finding go.
    HTREEITEM root = m_tree.DeleteFinding(leaf);
    if (root && !m_tree.ItemHasChildren(root))
        m_tree.DeleteItem(root);
    m_tree.UpdateSelectionLabel(false, ticked ? 1 : 0, true);
}

CScanResultDlg::RepairOutcome CScanResultDlg::CountRepaired(bool refused) const
{
    RepairOutcome outcome;
    outcome.refused = refused;
    outcome.offered = m_offeredFindings;
    outcome.skipped = m_skippedFindings;
    const RepairedFindings::Counts counts = m_repairedFindings.CountRepaired(refused);
    outcome.repaired = counts.repaired;
    outcome.total = counts.total;
    return outcome;
}

LRESULT CScanResultDlg::OnRepairFinished(WPARAM, LPARAM)
{
    if (!m_repairing || !m_finishGate.MayFinish(*this, kFinishTimer))
        return 1;
    TakeJobReports();
    m_restorePoint.End();
    m_repairing = false;
    // A repair whose backup could not be written deletes nothing.
    const int result = m_jobReports.Result();
    const bool refused = result == kRepairRefused;
    const RepairOutcome outcome = CountRepaired(refused);
    m_lastRepair = outcome;
    FillSummary(outcome.offered, outcome.skipped, outcome.total, FormatScanTime(m_scan.endTick - m_scan.startTick));
    if (refused)
    {
        AbandonRepair("The registry backup could not be written, so nothing was repaired and nothing was changed.");
        return 1;
    }
    RecordRepairedStatistics(outcome);
    // The home page counts what is gone, also after a failure: the close,
    // shutdown or restart the settings ask for still follow. Only when none
    // follows is the failure told in a box; a box would hold an unattended
    // run's end until someone answered it.
    if (!RunAutomaticTail() && result == kRepairIncomplete)
        MessageBox("The repair stopped part-way because of an error. The home page counts the findings that were "
                   "repaired; scan again to see what remains.",
                   nullptr, MB_OK | MB_ICONWARNING);
    return 1;
}

void CScanResultDlg::FillSummary(int found, int skipped, int repaired, const std::string& time)
{
    if (m_workflow)
        m_workflow->ShowSummary(found, skipped, m_scan.examined, repaired, time);
}

void CScanResultDlg::RecordRepairedStatistics(const RepairOutcome& outcome)
{
    CStatusDlg* home = m_workflow ? m_workflow->HomePage() : nullptr;
    if (home && home->GetSafeHwnd())
        home->ResetLastCleaned();
    else
        CStatusDlg::StoredStatistics().ResetCleaned();

    LastResults::RepairedStatistics repaired;
    // Only categories with a root; the others stay at the reset's 0.
    for (HTREEITEM root = m_tree.GetRootItem(); root; root = m_tree.GetNextSiblingItem(root))
    {
        const ClientCategory* category = FindClientCategoryByCaption(CCheckedTreeCtrl::CaptionOf(m_tree.GetFullText(root)));
        const auto count = category ? outcome.repaired.find(category->bit) : outcome.repaired.end();
        if (count != outcome.repaired.end())
            repaired.counts.emplace_back(count->first, count->second);
    }
    repaired.total = static_cast<unsigned>(outcome.total);
    repaired.recycleBinKB = m_recycleBinKB;
    repaired.tempFilesKB = m_tempFilesKB;
    repaired.junkRunningTotal = m_junkKBTotal + (home ? home->GetJunkRunningTotal() : 0);
    CStatusDlg::StoredStatistics().WriteRepaired(repaired);
    if (home && home->GetSafeHwnd())
        home->ShowRepaired(repaired);
}

void CScanResultDlg::ShowHomePage()
{
    // The scan page opens on its first step next time, without showing it now.
    if (m_workflow)
        m_workflow->ReturnToFirstStepLater();
    ProgramShell().ShowPage(kPageResults);
}

bool CScanResultDlg::RunAutomaticTail()
{
    ShowHomePage();
    return ScanWorkflow::EndAsTheSettingsAsk();
}

// ---- The repair's job thread reports, shown on the window thread ----

void CScanResultDlg::SetStatusText(const char* text, const char* code)
{
    // One message for any number of texts until the window thread shows the
    // last of them.
    m_jobReports.SetStatus(text ? text : "", code ? code : "", false);
}

void CScanResultDlg::TakeJobReports()
{
    JobReports::Taken taken;
    m_jobReports.Take(taken);
    for (const JobReports::Report& report : taken.reports)
        TakeJunkSize(report.category, report.firstValue);
    if (taken.statusChanged)
        ShowStatus(taken.status);
}

void CScanResultDlg::TakeJunkSize(DWORD category, int kb)
{
    m_junkKBTotal += static_cast<unsigned>(kb);
    if (category == kScanRecycleBin)
        m_recycleBinKB = static_cast<double>(static_cast<unsigned>(kb));
    else
        m_tempFilesKB = static_cast<double>(static_cast<unsigned>(kb));
}

void CScanResultDlg::ShowStatus(const std::string& shown)
{
    if (!m_statusLabel.GetSafeHwnd())
        return;
    CClientDC dc(m_statusLabel.GetSafeHwnd());
    CSelectObject font(dc, m_statusLabel.GetLabelFont());
    const RECT place = m_statusLabel.GetClientRect();
    m_statusLabel.SetText(CompactToWidth(dc, shown, place.right - place.left));
}

void CScanResultDlg::OnTimer(UINT_PTR id)
{
    if (id == kFinishTimer)
        OnRepairFinished(0, 0);
    else if (id == kListTimer)
        ListSomeFindings();
    else if (id == kIgnoreTimer)
        TakeIgnoreOutcome();
    else
        CBitmapDialog::OnTimer(id);
}

void CScanResultDlg::OnProgress(int) {}

void CScanResultDlg::OnItemFound(const char* text, DWORD category, int firstValue, int)
{
    if (!text || lstrcmpiA(text, "-1") != 0)
        return;
    if (category != kScanRecycleBin && category != kScanTempFiles)
        return;
    // The size the repair freed in a junk category.
    m_jobReports.AddFinding(text, category, firstValue, 0);
}

int CScanResultDlg::OnJobFinished(int result)
{
    m_jobReports.SetEnd(result);
    // Still on the job's thread, so that the window thread is not held while
    // thousands of findings are looked for, and the job still counts as
    // running meanwhile: nothing else can start, nor the program close.
    if (result != kRepairRefused)
        m_repairedFindings.NoteGoneAfter();
    PostMessage(WM_REPAIR_DONE, 0, 0);
    return 0;
}

int CScanResultDlg::OnDefragResult(int)
{
    return 0;
}

BOOL CScanResultDlg::OnCommand(WPARAM wParam, LPARAM lParam)
{
    if (HIWORD(wParam) != BN_CLICKED)
        return CBitmapDialog::OnCommand(wParam, lParam);
    switch (LOWORD(wParam))
    {
    case IDC_REPAIR_BUTTON:
    case IDC_REPAIR_BUTTON2: OnRepair(); return TRUE;
    case IDC_IGNORE_BUTTON: OnIgnoreItem(); return TRUE;
    case IDC_RESULTS_BACK:
        if (m_workflow)
            m_workflow->ShowStep(kStepProgress);
        return TRUE;
    case IDC_REGISTRY_TAB: ShowRegistryGroup(); return TRUE;
    case IDC_JUNK_TAB: ShowJunkGroup(); return TRUE;
    case IDC_RECYCLE_CHECK: OnJunkCheck(IDC_RECYCLE_CHECK, kScanRecycleBin); return TRUE;
    case IDC_TEMP_CHECK: OnJunkCheck(IDC_TEMP_CHECK, kScanTempFiles); return TRUE;
    default: return CBitmapDialog::OnCommand(wParam, lParam);
    }
}

LRESULT CScanResultDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_REPAIR_DONE)
        return OnRepairFinished(wParam, lParam);
    if (message == WM_PRESENCE_NOTED)
    {
        OnPresenceNoted();
        return 0;
    }
    if (message == WM_JOB_STATUS)
    {
        TakeJobReports();
        return 0;
    }
    return CBitmapDialog::WindowProc(message, wParam, lParam);
}

HBRUSH CScanResultDlg::OnCtlColor(HDC dc, HWND control, UINT controlType)
{
    const bool white = controlType == CTLCOLOR_DLG || control == m_tree.GetSafeHwnd() ||
                       control == m_recycleCheck.GetSafeHwnd() || control == m_tempCheck.GetSafeHwnd();
    if (!white)
        return CBitmapDialog::OnCtlColor(dc, control, controlType);
    ::SetBkColor(dc, RGB(255, 255, 255));
    return m_pageBrush.Get();
}

BOOL CScanResultDlg::OnSetCursor(HWND window, UINT hitTest, UINT message)
{
    const HCURSOR hand = ProgramShell().HandCursor();
    if ((window == m_registryTab.GetSafeHwnd() || window == m_junkTab.GetSafeHwnd()) && hand)
    {
        ::SetCursor(hand);
        return TRUE;
    }
    return CBitmapDialog::OnSetCursor(window, hitTest, message);
}
