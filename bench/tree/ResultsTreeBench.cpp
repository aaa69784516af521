// Times the results page's ShowResults beside a bare TVM_INSERTITEM fill of
// the same texts into a tree of the same styles on the same page, and how
// long the page's thread leaves a message unanswered meanwhile. Both times
// include the tree's first paint after the fill.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "BenchClock.h"
#include "BenchStats.h"
#include "Client/Shell/CRegClientApp.h"
#include "Client/Shell/CRegClientDlg.h"
#include "Client/res/ScanResultsResource.h"
#include "Client/res/ShellResource.h"
#include "Engine/ScanCategory.h"
#include "support/AnswerTimeProbe.h"
#include "support/FakeJobObject.h"
#include "support/MessagePump.h"

// The program's application object, as the program itself has it.
CRegClientApp theApp;

namespace
{
const int kRuns = 3;
const DWORD kCategories[] = {kScanActiveX, kScanUninstall, kScanFonts, kScanSharedDlls, kScanAppPaths,
                             kScanHelpFiles, kScanStartup, kScanFileTypes, kScanTypeLibs, kScanServices};

std::string FindingText(int index)
{
    char text[160];
    std::snprintf(text, sizeof(text), "HKEY_LOCAL_MACHINE\\Software\\Classes\\CLSID\\{%08X-0000-4000-8000-%012d}\\"
                                      "InprocServer32\\c:\\program files\\gone\\server%d.dll",
                  index * 2654435761u, index, index);
    return text;
}

// The texts per category, as the store lists them to the page.
std::vector<std::pair<DWORD, std::vector<std::string>>> Findings(int count)
{
    std::vector<std::pair<DWORD, std::vector<std::string>>> findings;
    for (DWORD category : kCategories)
        findings.push_back({category, {}});
    for (int i = 0; i < count; ++i)
        findings[static_cast<size_t>(i) % findings.size()].second.push_back(FindingText(i));
    return findings;
}

double TimeShowResults(CScanResultDlg& page, CScanItemsInfo& store, int count, double* stallMs)
{
    store.Clear();
    DWORD mask = 0;
    for (const auto& category : Findings(count))
    {
        mask |= category.first;
        for (const std::string& text : category.second)
            store.AddFoundItem(text.c_str(), category.first, 0, 0);
    }
    ScanOutcome outcome;
    outcome.mask = mask;
    outcome.found = count;
    outcome.completed = true;
    TestPump::PumpMessages(50);
    BenchClock clock;
    double seconds = 0.0;
    {
        AnswerTimeProbe probe(page.GetSafeHwnd());
        ::Sleep(20);
        clock.Restart();
        page.ShowResults(outcome);
        // The fill is over when the page has every finding and has painted.
        TestPump::PumpUntil([&page, count] { return page.Tree().GetItemsAdded() == count; }, 60000);
        page.Tree().UpdateWindow();
        seconds = clock.Seconds();
        TestPump::PumpMessages(30);
        probe.Stop();
        *stallMs = probe.TakeAnswers().MaxMs();
    }
    if (page.Tree().GetItemsAdded() != count)
        std::printf("  ShowResults showed %d findings of %d\n", page.Tree().GetItemsAdded(), count);
    return seconds;
}

HTREEITEM BareInsert(HWND tree, const std::string& text, HTREEITEM parent)
{
    TVINSERTSTRUCTA insert = {};
    insert.hParent = parent;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    insert.item.pszText = const_cast<char*>(text.c_str());
    insert.item.iImage = insert.item.iSelectedImage = 1;
    return reinterpret_cast<HTREEITEM>(::SendMessageA(tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
}

// The same texts into a plain tree of the page tree's styles and place.
double TimeBareFill(CScanResultDlg& page, int count)
{
    const auto findings = Findings(count);
    const HWND pageTree = page.Tree().GetSafeHwnd();
    RECT place = page.Tree().GetWindowRect();
    ::MapWindowPoints(NULL, page.GetSafeHwnd(), reinterpret_cast<POINT*>(&place), 2);
    const DWORD style = static_cast<DWORD>(::GetWindowLongPtrA(pageTree, GWL_STYLE)) | WS_VISIBLE;
    const DWORD exStyle = static_cast<DWORD>(::GetWindowLongPtrA(pageTree, GWL_EXSTYLE));
    page.Tree().ShowWindow(SW_HIDE);
    HWND tree = ::CreateWindowExA(exStyle, WC_TREEVIEWA, "", style, place.left, place.top, place.right - place.left,
                                  place.bottom - place.top, page.GetSafeHwnd(), nullptr, ::GetModuleHandleA(nullptr),
                                  nullptr);
    TestPump::PumpMessages(50);
    const BenchClock clock;
    for (const auto& category : findings)
    {
        HTREEITEM root = BareInsert(tree, "Category        [" + std::to_string(category.second.size()) + "]", TVI_ROOT);
        for (const std::string& text : category.second)
            BareInsert(tree, text, root);
    }
    ::UpdateWindow(tree);
    const double seconds = clock.Seconds();
    ::DestroyWindow(tree);
    page.Tree().ShowWindow(SW_SHOW);
    TestPump::PumpMessages(30);
    return seconds;
}

}

int main()
{
    INITCOMMONCONTROLSEX controls = {sizeof(controls), 0xFF};
    ::InitCommonControlsEx(&controls);
    FakeJobObject job;
    std::unique_ptr<CScanItemsInfo> store(new CScanItemsInfo());
    theApp.m_pScanItems = store.get();
    theApp.m_pEngineProcess = &job;
    theApp.m_settings = SettingsRecord();
    theApp.m_bSiblingInstalled = 1;
    std::unique_ptr<CRegClientDlg> window(new CRegClientDlg());
    if (!window->Create(IDD_MAIN_WINDOW, nullptr))
    {
        std::printf("the main window could not be made\n");
        return 1;
    }
    window->ShowWindow(SW_SHOW);
    CScanResultDlg& page = theApp.m_scanResultPage;
    theApp.m_scanPage.ShowStep(kStepResults);
    page.ShowWindow(SW_SHOW);
    TestPump::PumpMessages(200);

    std::printf("results tree, min / median / max of %d runs (fill and first paint)\n", kRuns);
    for (int count : {1000, 10000})
    {
        BenchStats shown, bare, stalls, ratios;
        for (int run = 0; run < kRuns; ++run)
        {
            double stall = 0.0;
            const double showing = TimeShowResults(page, *store, count, &stall);
            const double filling = TimeBareFill(page, count);
            shown.Add(showing);
            stalls.Add(stall / 1000.0);
            bare.Add(filling);
            ratios.Add(showing / filling);
        }
        std::printf("  %6d findings: ShowResults %7.0f / %7.0f / %7.0f ms   bare fill %5.0f / %5.0f / %5.0f ms   "
                    "ratio %5.1f / %5.1f / %5.1f   longest unanswered %5.0f / %5.0f / %5.0f ms\n",
                    count, shown.Min() * 1000, shown.Median() * 1000, shown.Max() * 1000, bare.Min() * 1000,
                    bare.Median() * 1000, bare.Max() * 1000, ratios.Min(), ratios.Median(), ratios.Max(),
                    stalls.Min() * 1000, stalls.Median() * 1000, stalls.Max() * 1000);
        std::fflush(stdout);
    }
    window->DestroyWindow();
    window.reset();
    theApp.m_pScanItems = nullptr;
    theApp.m_pEngineProcess = nullptr;
    return 0;
}
