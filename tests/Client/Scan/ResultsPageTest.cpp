// The results page on the real main window: the tree a scan leaves, the
// repair and what it counts, the ignore list, and the summary page.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "Client/Scan/StoreTestFolder.h"
#include "Client/Scan/ResultsPageFixture.h"
#include "Client/res/ScanResultsResource.h"
#include "Client/res/ShellResource.h"
#include "Client/Scan/CScanDlg.h"
#include "Client/Scan/CStatusDlg.h"
#include "Client/Scan/FindingPlace.h"
#include "Engine/ScanCategory.h"
#include "Framework/CHandle.h"
#include "support/ProgramDriver.h"
#include "support/TestRegistry.h"

using namespace PlantedFindings;

namespace
{
const std::string kGap = "        ";

void Click(CWnd& page, int id)
{
    page.SendMessage(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(page.GetDlgItem(id)));
}

bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

// The engine's walk: every finding the user left ticked is deleted, except
// those the registry would refuse.
std::function<int(CAbstractScanItemsInfo&)> DeleteAllBut(std::vector<std::string> refused, int result = 0)
{
    return [refused, result](CAbstractScanItemsInfo& store) {
        for (int more = store.MoveFirst(); more; more = store.MoveNext())
        {
            if (store.IsCurrentItemExcluded())
                continue;
            const std::string text = store.GetCurrentText();
            if (std::find(refused.begin(), refused.end(), text) == refused.end())
                DeleteFinding(text);
        }
        return result;
    };
}
}

TEST_F(ResultsPageTest, TheTreeShowsTheScannedCategoriesInOrderWithWholeTexts)
{
    const std::string longFont = ValueText("Fonts", std::string(400, 'x') + ".ttf");
    const std::string dll = ValueText("SharedDlls", "b.dll"), startup = ValueText("Run", "gone");
    ShowFindings({{kScanSharedDlls, dll}, {kScanStartup, startup}, {kScanFonts, longFont},
                  {kScanActiveX, KeyText("Clsid\\{not-scanned}")}},
                 kScanFonts | kScanSharedDlls | kScanStartup);
    const std::vector<Row> rows = TreeRows();
    const std::vector<std::string> expected = {"Windows Fonts" + kGap + "[1 Error(s)]", longFont,
                                               "Shared DLLs" + kGap + "[1 Error(s)]", dll,
                                               "Windows Startup Items" + kGap + "[1 Error(s)]", startup};
    ASSERT_EQ(rows.size(), expected.size()) << "a category outside the scan got a root";
    for (size_t i = 0; i < rows.size(); ++i)
        EXPECT_EQ(rows[i].text, expected[i]) << i;
    EXPECT_EQ(ControlText(IDC_FINDINGS_COUNT), "3");
    EXPECT_EQ(ControlText(IDC_DESCRIPTION).find("The Font Section of the registry"), 0u);

    Click(Page(), IDC_JUNK_TAB);
    EXPECT_FALSE(IsShown(IDC_RESULTS_TREE));
    EXPECT_TRUE(IsShown(IDC_RECYCLE_CHECK) && IsShown(IDC_TEMP_CAPTION) && !IsEnabled(IDC_JUNK_TAB));
    EXPECT_TRUE(ProgramDriver::SaveScreenshot(m_window->GetSafeHwnd(), "scan-results-junk-group"));
    Click(Page(), IDC_REGISTRY_TAB);
    EXPECT_TRUE(IsShown(IDC_RESULTS_TREE) && !IsShown(IDC_RECYCLE_CHECK));
    Page().SetJunkFileLine("No");
    EXPECT_TRUE(ProgramDriver::SaveScreenshot(m_window->GetSafeHwnd(), "scan-results-page"));

    // A description is shown without its "Description :" lead.
    ShowFindings({{kScanStartup, startup}}, kScanStartup);
    EXPECT_EQ(ControlText(IDC_DESCRIPTION).find("Errors in this sections"), 0u) << ControlText(IDC_DESCRIPTION);
}

TEST_F(ResultsPageTest, TheMarkPicturesAreMadeOnceHoweverManyFindingsCome)
{
    auto fonts = [](int count) {
        std::vector<std::pair<DWORD, std::string>> findings;
        for (int i = 0; i < count; ++i)
            findings.push_back({kScanFonts, ValueText("Fonts", "font" + std::to_string(i) + ".ttf")});
        return findings;
    };
    CCheckedTreeCtrl& tree = Page().Tree();
    const LRESULT states = tree.SendMessage(TVM_GETIMAGELIST, TVSIL_STATE);
    const LRESULT images = tree.SendMessage(TVM_GETIMAGELIST, TVSIL_NORMAL);
    ShowFindings(fonts(100), kScanFonts);
    const int imageCount = ImageList_GetImageCount(reinterpret_cast<HIMAGELIST>(images));
    const DWORD before = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS);
    ShowFindings(fonts(10000), kScanFonts);
    const DWORD after = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS);
    EXPECT_EQ(tree.SendMessage(TVM_GETIMAGELIST, TVSIL_STATE), states) << "the check pictures were made again";
    EXPECT_EQ(tree.SendMessage(TVM_GETIMAGELIST, TVSIL_NORMAL), images);
    EXPECT_EQ(ImageList_GetImageCount(reinterpret_cast<HIMAGELIST>(states)), 4);
    EXPECT_EQ(ImageList_GetImageCount(reinterpret_cast<HIMAGELIST>(images)), imageCount);
    EXPECT_EQ(tree.GetCount(), 10001u);
    // Wine counts no GUI resources (0 here); Windows does.
    EXPECT_LT(after, before + 20) << "GDI objects grew with the findings";
}

TEST_F(ResultsPageTest, AFillWhileTheJunkGroupIsOpenLeavesTheTreeHiddenAndCountedRight)
{
    std::vector<std::pair<DWORD, std::string>> findings;
    for (int i = 0; i < 3000; ++i)
        findings.push_back({i % 3 ? kScanFonts : kScanSharedDlls, ValueText("Many", "entry" + std::to_string(i))});
    Click(Page(), IDC_JUNK_TAB);
    ShowFindings(findings, kScanFonts | kScanSharedDlls);
    EXPECT_FALSE(IsShown(IDC_RESULTS_TREE)) << "the fill showed the tree over the junk group";
    Click(Page(), IDC_REGISTRY_TAB);
    ASSERT_TRUE(IsShown(IDC_RESULTS_TREE));

    CCheckedTreeCtrl& tree = Page().Tree();
    HTREEITEM fonts = tree.GetRootItem();
    HTREEITEM dlls = tree.GetNextSiblingItem(fonts);
    EXPECT_EQ(tree.GetItemText(fonts), "Windows Fonts" + kGap + "[2000 Error(s)]");
    EXPECT_EQ(tree.GetItemText(dlls), "Shared DLLs" + kGap + "[1000 Error(s)]");
    EXPECT_EQ(tree.GetSelectedItem(), fonts);
    EXPECT_EQ(tree.CountCheckedChildren(fonts), 2000);
    EXPECT_EQ(tree.GetItemData(dlls), 1000u);
    EXPECT_EQ(ControlText(IDC_FINDINGS_COUNT), "3000");
    EXPECT_EQ(ControlText(IDC_SELECTION_LABEL), "3000 of 3000 error(s) selected for repair");
    EXPECT_EQ(tree.GetFullText(tree.GetChildItem(dlls)), findings[0].second);
    EXPECT_TRUE(ProgramDriver::SaveScreenshot(m_window->GetSafeHwnd(), "scan-results-many"));
}

TEST_F(ResultsPageTest, TheRepairCountsOnlyFindingsThatAreReallyGone)
{
    if (!RunInOwnFolder())
        return;
    for (const char* name : {"f1.ttf", "f2.ttf", "f3.ttf"})
        ASSERT_TRUE(PlantValue("Fonts", name));
    for (const char* name : {"d1.dll", "d2.dll"})
        ASSERT_TRUE(PlantValue("SharedDlls", name));
    ASSERT_TRUE(PlantKey("Clsid\\{k1}"));
    const std::string shortcut = TestEnv::MakeScratchFolder("results-shortcut") + "gone.lnk";
    ASSERT_TRUE(TestEnv::WriteFile(shortcut, "link"));
    ShowFindings({{kScanFonts, ValueText("Fonts", "f1.ttf")}, {kScanFonts, ValueText("Fonts", "f2.ttf")},
                  {kScanFonts, ValueText("Fonts", "f3.ttf")}, {kScanSharedDlls, ValueText("SharedDlls", "d1.dll")},
                  {kScanSharedDlls, ValueText("SharedDlls", "d2.dll")}, {kScanActiveX, KeyText("Clsid\\{k1}")},
                  {kScanShortcuts, shortcut}},
                 kScanFonts | kScanSharedDlls | kScanActiveX | kScanShortcuts);
    Page().Tree().ToggleNode(FindLeaf(ValueText("Fonts", "f2.ttf")));
    EXPECT_EQ(ControlText(IDC_SELECTION_LABEL), "6 of 7 error(s) selected for repair");

    // The registry refuses one delete; the engine does not say which. It
    // reports the recycle bin it emptied.
    const auto deleteMost = DeleteAllBut({ValueText("SharedDlls", "d2.dll")});
    m_job.body = [this, deleteMost](CAbstractScanItemsInfo& store) {
        const int result = deleteMost(store);
        Page().OnItemFound("-1", kScanRecycleBin, 1536, 0);
        return result;
    };
    Page().OnRepair();
    EXPECT_EQ(ControlText(IDC_SELECTION_LABEL), "Repairing Errors");
    EXPECT_FALSE(IsEnabled(IDC_REPAIR_BUTTON) || IsEnabled(IDC_RESULTS_TREE) || IsShown(IDC_IGNORE_BUTTON) ||
                 IsEnabled(IDC_RECYCLE_CHECK));
    ASSERT_TRUE(PumpUntil([this] { return RepairEnded(); }));

    EXPECT_FALSE(ValueExists("Fonts", "f1.ttf"));
    EXPECT_TRUE(ValueExists("Fonts", "f2.ttf")) << "an unticked finding was repaired";
    EXPECT_TRUE(ValueExists("SharedDlls", "d2.dll"));
    EXPECT_FALSE(KeyExists("Clsid\\{k1}"));
    const CScanResultDlg::RepairOutcome& outcome = Page().LastRepair();
    EXPECT_EQ(outcome.repaired.at(kScanFonts), 2);
    EXPECT_EQ(outcome.repaired.at(kScanSharedDlls), 1) << "a refused delete was counted as repaired";
    EXPECT_EQ(outcome.repaired.at(kScanActiveX), 1);
    EXPECT_EQ(outcome.repaired.at(kScanShortcuts), 1);
    EXPECT_FALSE(TestEnv::FileExists(shortcut));
    EXPECT_EQ(outcome.total, 5);
    EXPECT_EQ(outcome.skipped, 1);
    EXPECT_EQ(CWnd::GetText(theApp.m_scanWorkflow.Summary().GetDlgItem(IDC_SUMMARY_REPAIRED)), "5");
    EXPECT_EQ(CWnd::GetText(theApp.m_scanWorkflow.Summary().GetDlgItem(IDC_SUMMARY_SKIPPED)), "1");
    EXPECT_FALSE(::IsWindowEnabled(m_window->GetDlgItem(IDC_HOME_BUTTON))) << "the repair did not end on the home page";
    EXPECT_FALSE(Page().IsWindowVisible());
    EXPECT_EQ(theApp.m_scanWorkflow.CurrentStep(), kStepOptions);

    // The home page's statistics, stored and shown, are the repaired ones.
    const std::string ini = theApp.m_strIniPath;
    auto stored = [&ini](const char* name) { return TestEnv::SettingsValue(ini, name, "missing"); };
    EXPECT_EQ(stored("LastFontCln"), "2");
    EXPECT_EQ(stored("LastSHDllCln"), "1");
    EXPECT_EQ(stored("LastActXCln"), "1");
    EXPECT_EQ(stored("LastShortCutCln"), "1");
    EXPECT_EQ(stored("LastTotalClnCnt"), "5");
    EXPECT_EQ(stored("LastUnCln"), "0");
    EXPECT_EQ(stored("LastServicesCln"), "0");
    EXPECT_EQ(stored("LastRecBinClnSize"), "1536");
    EXPECT_EQ(stored("LastTotalJnkFileSize"), "1536");
    CStatusDlg& home = m_window->HomePage();
    EXPECT_EQ(CWnd::GetText(home.GetDlgItem(1201)), "2") << "fonts repaired on the home page";
    EXPECT_EQ(CWnd::GetText(home.GetDlgItem(1203)), "1") << "shared DLLs repaired on the home page";
    EXPECT_EQ(CWnd::GetText(home.GetDlgItem(1220)), "5") << "total repaired on the home page";
    EXPECT_EQ(CWnd::GetText(home.GetDlgItem(1234)), "2MB") << "recycle bin emptied, on the home page";
}

TEST_F(ResultsPageTest, ARefusedStartLeavesThePageUsable)
{
    if (!RunInOwnFolder())
        return;
    ASSERT_TRUE(PlantValue("Fonts", "f1.ttf"));
    ASSERT_TRUE(PlantValue("Fonts", "f3.ttf"));
    ASSERT_TRUE(PlantValue("Fonts", "f4.ttf"));
    PlantIgnoreList("");
    ShowFindings({{kScanFonts, ValueText("Fonts", "f1.ttf")}, {kScanFonts, ValueText("Fonts", "f2.ttf")},
                  {kScanFonts, ValueText("Fonts", "f3.ttf")}, {kScanFonts, ValueText("Fonts", "f4.ttf")}},
                 kScanFonts);
    // Unticked for the first try; then f3 is ticked again and f4 ignored.
    Page().Tree().ToggleNode(FindLeaf(ValueText("Fonts", "f3.ttf")));
    Page().Tree().ToggleNode(FindLeaf(ValueText("Fonts", "f4.ttf")));
    m_job.startResult = -1;
    {
        MessageBoxAnswer answer;
        Page().OnRepair();
        EXPECT_TRUE(Contains(answer.Text(), "could not be started")) << answer.Text();
        EXPECT_TRUE(Contains(answer.Text(), "Nothing was changed")) << answer.Text();
    }
    EXPECT_FALSE(Page().IsRepairing());
    EXPECT_TRUE(IsEnabled(IDC_REPAIR_BUTTON) && IsEnabled(IDC_RESULTS_BACK) && IsEnabled(IDC_RESULTS_TREE));
    EXPECT_TRUE(IsEnabled(IDC_RECYCLE_CHECK) && IsEnabled(IDC_TEMP_CHECK));
    EXPECT_TRUE(IsShown(IDC_IGNORE_BUTTON));
    EXPECT_EQ(ControlText(IDC_SELECTION_LABEL), "2 of 4 error(s) selected for repair");

    // The next try runs, with what is ticked now.
    Page().Tree().ToggleNode(FindLeaf(ValueText("Fonts", "f3.ttf")));
    Page().Tree().SelectItem(FindLeaf(ValueText("Fonts", "f4.ttf")));
    IgnoreSelected();
    m_job.startResult = 0;
    m_job.body = DeleteAllBut({});
    Page().OnRepair();
    ASSERT_TRUE(PumpUntil([this] { return RepairEnded(); }));
    EXPECT_EQ(m_job.starts, 2);
    EXPECT_FALSE(ValueExists("Fonts", "f1.ttf"));
    EXPECT_FALSE(ValueExists("Fonts", "f3.ttf")) << "a finding ticked again was still left out";
    EXPECT_TRUE(ValueExists("Fonts", "f4.ttf")) << "an ignored finding was repaired";
    EXPECT_EQ(Page().LastRepair().total, 2) << "a finding that was never there counted as repaired";
    EXPECT_EQ(Page().LastRepair().skipped, 0);
}

TEST_F(ResultsPageTest, NothingTickedStartsNoRepair)
{
    ShowFindings({{kScanFonts, ValueText("Fonts", "f1.ttf")}, {kScanFonts, ValueText("Fonts", "f2.ttf")}},
                 kScanFonts);
    Page().Tree().ToggleNode(Page().Tree().GetRootItem());
    EXPECT_EQ(ControlText(IDC_SELECTION_LABEL), "0 of 2 error(s) selected for repair");
    MessageBoxAnswer answer;
    Page().OnRepair();
    EXPECT_EQ(answer.Text(), "Please select errors for repair.");
    EXPECT_EQ(m_job.starts, 0);
}

TEST_F(ResultsPageTest, IgnoringTakesAFindingOutOnceAndListsIt)
{
    if (!RunInOwnFolder())
        return;
    PlantIgnoreList("");
    const std::string f1 = ValueText("Fonts", "f1.ttf"), f2 = ValueText("Fonts", "f2.ttf");
    const std::string d1 = ValueText("SharedDlls", "d1.dll");
    ShowFindings({{kScanFonts, f1}, {kScanFonts, f2}, {kScanSharedDlls, d1}}, kScanFonts | kScanSharedDlls);
    CCheckedTreeCtrl& tree = Page().Tree();
    tree.ToggleNode(FindLeaf(d1));

    tree.SelectItem(FindLeaf(f1));
    IgnoreSelected();
    EXPECT_EQ(IgnoreListBytes(), f1 + "^Windows Fonts^0;\r\n");
    EXPECT_EQ(ControlText(IDC_SELECTION_LABEL), "1 of 2 error(s) selected for repair");
    EXPECT_EQ(tree.CategoryCounts()["Windows Fonts"], 1) << "the count was lowered twice";
    EXPECT_EQ(tree.GetItemsAdded(), 2);
    EXPECT_EQ(ControlText(IDC_FINDINGS_COUNT), "2");
    ASSERT_EQ(TreeRows().size(), 4u);
    EXPECT_EQ(TreeRows()[0].text, "Windows Fonts" + kGap + "[1 Error(s)]");

    // An unticked finding: the total drops, the selection does not; its
    // category goes with its last finding.
    tree.SelectItem(FindLeaf(d1));
    IgnoreSelected();
    EXPECT_EQ(IgnoreListBytes(), f1 + "^Windows Fonts^0;\r\n" + d1 + "^Shared DLLs^0;\r\n");
    EXPECT_EQ(ControlText(IDC_SELECTION_LABEL), "1 of 1 error(s) selected for repair");
    ASSERT_EQ(TreeRows().size(), 2u);

    // A category root is not a finding.
    tree.SelectItem(tree.GetRootItem());
    IgnoreSelected();
    EXPECT_EQ(TreeRows().size(), 2u);
}

TEST_F(ResultsPageTest, IgnoringAFindingTakesItsTwinsOutOfTheTreeAndTheRepair)
{
    if (!RunInOwnFolder())
        return;
    PlantIgnoreList("");
    // The walk of the user hives reaches the same values by the user's SID.
    const std::string app = ValueText("Run", "app"), other = ValueText("Run", "other");
    auto twin = [](const std::string& text) {
        return "HKEY_USERS\\" + FindingPlace::CurrentUserSid() + text.substr(text.find('\\'));
    };
    ShowFindings({{kScanStartup, app}, {kScanStartup, other}, {kScanFilePaths, twin(app)},
                  {kScanFilePaths, twin(other)}},
                 kScanStartup | kScanFilePaths);
    Page().Tree().SelectItem(FindLeaf(app));
    IgnoreSelected();
    EXPECT_EQ(IgnoreListBytes(), app + "^Windows Startup Items^0;\r\n");
    EXPECT_EQ(FindLeaf(twin(app)), nullptr) << "the twin is still listed";
    EXPECT_EQ(ControlText(IDC_SELECTION_LABEL), "2 of 2 error(s) selected for repair");
    EXPECT_EQ(ControlText(IDC_FINDINGS_COUNT), "2");

    std::vector<std::string> repaired;
    m_job.body = [&repaired](CAbstractScanItemsInfo& store) {
        for (int more = store.MoveFirst(); more; more = store.MoveNext())
            if (!store.IsCurrentItemExcluded())
                repaired.push_back(store.GetCurrentText());
        return 0;
    };
    Page().OnRepair();
    ASSERT_TRUE(PumpUntil([this] { return RepairEnded(); }));
    EXPECT_EQ(repaired, (std::vector<std::string>{other, twin(other)}));
}

TEST_F(ResultsPageTest, AFindingTheIgnoreListCannotTakeIsSaidToComeBack)
{
    if (!RunInOwnFolder())
        return;
    PlantIgnoreList("");
    // A ";" would split the list's record.
    const std::string odd = ValueText("Fonts", "a;b.ttf");
    ShowFindings({{kScanFonts, odd}, {kScanFonts, ValueText("Fonts", "f2.ttf")}}, kScanFonts);
    Page().Tree().SelectItem(FindLeaf(odd));
    MessageBoxAnswer answer;
    Page().OnIgnoreItem();
    ASSERT_TRUE(PumpUntil([&answer] { return answer.Ended(); }));
    EXPECT_TRUE(Contains(answer.Text(), "reported again at the next scan")) << answer.Text();
    EXPECT_EQ(IgnoreListBytes(), "");
    EXPECT_EQ(FindLeaf(odd), nullptr);
    EXPECT_EQ(ControlText(IDC_SELECTION_LABEL), "1 of 1 error(s) selected for repair");
}

TEST_F(ResultsPageTest, TimesAndStatusTextsAreNeverEmptyOrOverlong)
{
    for (DWORD ms : {0ul, 1500ul, 65000ul, 3725000ul})
    {
        const std::string text = CScanResultDlg::FormatScanTime(ms);
        EXPECT_FALSE(text.empty()) << ms;
        EXPECT_NE(text.find_first_of("0123456789"), std::string::npos) << ms << ": " << text;
        for (char c : text)
            EXPECT_TRUE(c >= ' ' && c < 127) << ms << ": " << text;
    }
    EXPECT_EQ(CScanResultDlg::FormatScanTime(65000).find("1 min"), 0u) << CScanResultDlg::FormatScanTime(65000);

    // The engine's status texts come from its thread, some longer than any
    // path buffer.
    const std::string path = "HKEY_LOCAL_MACHINE\\" + std::string(3000, 'k') + "\\end";
    std::thread job([this, &path] { Page().SetStatusText(path.c_str(), "Scanning"); });
    PumpUntil([&job] { return false; }, 300);
    job.join();
    const std::string shown = ControlText(IDC_RESULTS_STATUS);
    EXPECT_FALSE(shown.empty());
    EXPECT_LT(shown.size(), static_cast<size_t>(MAX_PATH));
}

TEST_F(ResultsPageTest, AScanWithoutFindingsFillsTheSummary)
{
    ShowFindings({}, kScanFonts | kScanSharedDlls);
    EXPECT_TRUE(TreeRows().empty());
    CRepairResultDlg& summary = theApp.m_scanWorkflow.Summary();
    auto text = [&summary](int id) { return CWnd::GetText(summary.GetDlgItem(id)); };
    EXPECT_EQ(text(IDC_SUMMARY_FOUND), "0");
    EXPECT_EQ(text(IDC_SUMMARY_SKIPPED), "0");
    EXPECT_EQ(text(IDC_SUMMARY_REPAIRED), "0");
    EXPECT_EQ(text(IDC_SUMMARY_SCANNED), "4321");
    EXPECT_EQ(text(IDC_SUMMARY_TIME), CScanResultDlg::FormatScanTime(65000));
    EXPECT_EQ(text(IDC_SUMMARY_STATUS), "Cleaned");

    Page().ShowWindow(SW_HIDE);
    summary.ShowWindow(SW_SHOW);
    summary.RedrawWindow(nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Pump(300);
    EXPECT_TRUE(ProgramDriver::SaveScreenshot(m_window->GetSafeHwnd(), "repair-summary-page"));
    Click(summary, IDC_SUMMARY_FINISH);
    EXPECT_FALSE(summary.IsWindowVisible());
    EXPECT_EQ(theApp.m_scanWorkflow.CurrentStep(), kStepOptions);

    // Back leads to the results step.
    summary.ShowWindow(SW_SHOW);
    ::ShowWindow(summary.GetDlgItem(IDC_SUMMARY_BACK), SW_SHOW);
    Click(summary, IDC_SUMMARY_BACK);
    EXPECT_FALSE(summary.IsWindowVisible());
    EXPECT_EQ(theApp.m_scanWorkflow.CurrentStep(), kStepResults);
}

TEST_F(ResultsPageTest, TheRepairsThreadReportsWithoutWaitingForTheWindows)
{
    if (!RunInOwnFolder())
        return;
    ASSERT_TRUE(PlantValue("Fonts", "t1.ttf"));
    ShowFindings({{kScanFonts, ValueText("Fonts", "t1.ttf")}}, kScanFonts);
    std::atomic<DWORD> reportingTook{0};
    std::atomic<bool> begun{false};
    std::atomic<bool> reported{false};
    const CHandle go(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    const CHandle hold(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    m_job.body = [&](CAbstractScanItemsInfo& store) {
        begun = true;
        ::WaitForSingleObject(go.Get(), 20000);
        const DWORD start = ::GetTickCount();
        Page().SetStatusText("Creating backup", "Scanning");
        Page().SetStatusText("Repairing corruption(s)", "Scanning");
        Page().OnItemFound("-1", kScanRecycleBin, 2048, 0);
        reportingTook = ::GetTickCount() - start;
        reported = true;
        ::WaitForSingleObject(hold.Get(), 20000);
        return DeleteAllBut({})(store);
    };
    Page().OnRepair();
    // The job is resumed once the page has readied it, on the window thread.
    ASSERT_TRUE(PumpUntil([&begun] { return begun.load(); }, 10000)) << "the repair's job never ran";
    // The window thread is busy elsewhere for a while: the job reports on
    // regardless.
    ::SetEvent(go.Get());
    ::Sleep(1500);
    EXPECT_TRUE(reported) << "the repair's thread was held up by the busy window thread";
    EXPECT_LT(reportingTook, 500u);
    // The window thread shows the last text once it runs its messages.
    EXPECT_TRUE(PumpUntil([this] { return ControlText(IDC_RESULTS_STATUS) == "Repairing corruption(s)"; }, 5000))
        << ControlText(IDC_RESULTS_STATUS);
    ::SetEvent(hold.Get());
    ASSERT_TRUE(PumpUntil([this] { return RepairEnded(); }));
    EXPECT_FALSE(ValueExists("Fonts", "t1.ttf"));
    EXPECT_EQ(TestEnv::SettingsValue(theApp.m_strIniPath, "LastRecBinClnSize", "missing"), "2048");
}
