// The scan road through the real program, driven as a user would: tick
// categories, watch the scan, reach the results, read the home page; the
// selection across a restart; a cancelled scan; and the automatic repair of a
// log-on start that ends the program by itself.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "Client/res/ScanPagesResource.h"
#include "Client/res/ScanResultsResource.h"
#include "Client/res/ShellResource.h"
#include "support/ProgramDriver.h"
#include "support/TestRegistry.h"

using namespace ProgramDriver;

namespace
{
const char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char kFontsKey[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";
const char kAppPathsKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths";

// The three categories the tests scan, as the boxes of the options page.
const int kStartupBox = 1157;
const int kFontsBox = 1147;
const int kAppPathsBox = 1153;
const int kSelectAllBox = 1169;
const int kVisibleBoxes[] = {1145, 1146, 1147, 1148, 1153, 1155, 1157, 1159, 1161, 1163, 1165, 1172};
const DWORD kThreeCategories = 0x400 | 0x2000 | 0x40000;

// Row counters of the progress page and found / repaired labels of the home page.
const int kStartupCounter = 1165, kFontsCounter = 1157, kAppPathsCounter = 1161;
const int kStartupFound = 1196, kFontsFound = 1190, kAppPathsFound = 1192, kTotalFound = 1219;
const int kStartupRepaired = 1209, kTotalRepaired = 1220, kLastScan = 1222;

LRESULT Send(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0)
{
    DWORD_PTR result = 0;
    ::SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL, 10000, &result);
    return static_cast<LRESULT>(result);
}

// The page of the main window on show with control id on show in it.
struct PageSearch
{
    int id;
    HWND found;
};
BOOL CALLBACK MatchPage(HWND child, LPARAM context)
{
    PageSearch* search = reinterpret_cast<PageSearch*>(context);
    if (::IsWindowVisible(child) && ::IsWindowVisible(::GetDlgItem(child, search->id)))
    {
        search->found = child;
        return FALSE;
    }
    return TRUE;
}
HWND VisiblePageWith(HWND window, int id)
{
    PageSearch search{id, NULL};
    for (HWND child = ::GetWindow(window, GW_CHILD); child && !search.found; child = ::GetWindow(child, GW_HWNDNEXT))
        MatchPage(child, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

struct PageWait
{
    HWND window;
    int id;
    HWND page;
};
HWND WaitForPageWith(HWND window, int id, DWORD milliseconds = 20000)
{
    PageWait wait{window, id, NULL};
    WaitUntil(milliseconds, [](void* context) {
        PageWait* wait = static_cast<PageWait*>(context);
        wait->page = VisiblePageWith(wait->window, wait->id);
        return wait->page != NULL;
    }, &wait);
    return wait.page;
}

bool IsUsableControl(HWND control)
{
    return control && ::IsWindowVisible(control) && ::IsWindowEnabled(control);
}

bool WaitForUsableControl(HWND page, int id, DWORD milliseconds)
{
    HWND control = ::GetDlgItem(page, id);
    return WaitUntil(milliseconds, [](void* control) { return IsUsableControl(static_cast<HWND>(control)); },
                     control);
}

// Clicks a button of a page only when a user could.
void Click(HWND page, int id)
{
    ASSERT_TRUE(IsUsableControl(::GetDlgItem(page, id))) << "control " << id << " is not usable";
    ASSERT_TRUE(PressButton(page, id));
}

// Ticks or unticks a check box as a click does.
void ClickBox(HWND page, int id)
{
    ASSERT_TRUE(IsUsableControl(::GetDlgItem(page, id))) << "box " << id << " is not usable";
    Send(::GetDlgItem(page, id), BM_CLICK);
}

bool IsTicked(HWND page, int id)
{
    return Send(::GetDlgItem(page, id), BM_GETCHECK) == BST_CHECKED;
}

std::string Text(HWND page, int id)
{
    return WindowText(::GetDlgItem(page, id));
}

struct TextWait
{
    HWND control;
    std::string text;
};
// True once the control shows text (the pages write their captions just
// after they show).
bool WaitForText(HWND page, int id, const std::string& text, DWORD milliseconds = 10000)
{
    TextWait wait{::GetDlgItem(page, id), text};
    return WaitUntil(milliseconds, [](void* context) {
        const TextWait* wait = static_cast<const TextWait*>(context);
        return WindowText(wait->control) == wait->text;
    }, &wait);
}

[[maybe_unused]] std::string ReadFileText(const std::string& path)
{
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return std::string();
    std::string text;
    char buffer[4096];
    DWORD got = 0;
    while (::ReadFile(file, buffer, sizeof(buffer), &got, nullptr) && got)
        text.append(buffer, got);
    ::CloseHandle(file);
    return text;
}

// A value of section SETTINGS of the program's INI file, "" when missing.
std::string IniValue(const std::string& iniPath, const char* key)
{
    return TestEnv::SettingsValue(iniPath, key, "");
}

// Backup files anywhere under the program's backup folder.
int CountBackups(const std::string& folder)
{
    int count = 0;
    WIN32_FIND_DATAA data;
    const HANDLE find = ::FindFirstFileA((folder + "*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return 0;
    do
    {
        const std::string name = data.cFileName;
        if (name == "." || name == "..")
            continue;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            count += CountBackups(folder + name + "\\");
        else if (name.size() > 4 && name.compare(name.size() - 4, 4, ".rbk") == 0)
            ++count;
    } while (::FindNextFileA(find, &data));
    ::FindClose(find);
    return count;
}

class ScanRoad : public testing::Test
{
protected:
    void SetUp() override
    {
        m_folder = MakeProgramFolder(testing::UnitTest::GetInstance()->current_test_info()->name());
        m_exe = m_folder + "Quillomar.exe";
        m_ini = m_folder + "qmsettings.ini";
        PlantEntries();
    }
    void TearDown() override
    {
        for (const char* name : {"QmRoadDeadA", "QmRoadDeadB", "QmRoadLive"})
            ::RegDeleteKeyValueA(HKEY_CURRENT_USER, kRunKey, name);
        for (const char* name : {"Qm Road Missing (TrueType)", "Qm Road Gone"})
            ::RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, kFontsKey, name);
        for (const char* name : {"qmroaddead.exe", "qmroadlive.exe"})
            TestEnv::DeleteTree(HKEY_LOCAL_MACHINE, std::string(kAppPathsKey) + "\\" + name);
    }

    // Dead entries of three categories beside live ones of the same.
    void PlantEntries()
    {
        ASSERT_TRUE(TestEnv::SetString(HKEY_CURRENT_USER, kRunKey, "QmRoadDeadA", "c:\\qm-road-gone\\a.exe /q"));
        ASSERT_TRUE(TestEnv::SetString(HKEY_CURRENT_USER, kRunKey, "QmRoadDeadB", "\"c:\\qm-road-gone\\b.exe\""));
        ASSERT_TRUE(TestEnv::SetString(HKEY_CURRENT_USER, kRunKey, "QmRoadLive", "\"" + m_exe + "\""));
        ASSERT_TRUE(TestEnv::SetString(HKEY_LOCAL_MACHINE, kFontsKey, "Qm Road Missing (TrueType)",
                                       "qmroadmissing.ttf"));
        ASSERT_TRUE(TestEnv::SetString(HKEY_LOCAL_MACHINE, kFontsKey, "Qm Road Gone", "c:\\qm-road-gone\\x.fon"));
        ASSERT_TRUE(TestEnv::SetString(HKEY_LOCAL_MACHINE, std::string(kAppPathsKey) + "\\qmroaddead.exe", "",
                                       "c:\\qm-road-gone\\dead.exe"));
        ASSERT_TRUE(TestEnv::SetString(HKEY_LOCAL_MACHINE, std::string(kAppPathsKey) + "\\qmroadlive.exe", "",
                                       m_exe));
    }

    void ExpectDeadEntries(bool present)
    {
        EXPECT_EQ(TestEnv::ValueExists(HKEY_CURRENT_USER, kRunKey, "QmRoadDeadA"), present);
        EXPECT_EQ(TestEnv::ValueExists(HKEY_CURRENT_USER, kRunKey, "QmRoadDeadB"), present);
        EXPECT_EQ(TestEnv::ValueExists(HKEY_LOCAL_MACHINE, kFontsKey, "Qm Road Missing (TrueType)"), present);
        EXPECT_EQ(TestEnv::ValueExists(HKEY_LOCAL_MACHINE, kFontsKey, "Qm Road Gone"), present);
        EXPECT_EQ(TestEnv::KeyExists(HKEY_LOCAL_MACHINE, std::string(kAppPathsKey) + "\\qmroaddead.exe"), present);
    }
    void ExpectLiveEntries()
    {
        EXPECT_TRUE(TestEnv::ValueExists(HKEY_CURRENT_USER, kRunKey, "QmRoadLive"));
        EXPECT_TRUE(TestEnv::KeyExists(HKEY_LOCAL_MACHINE, std::string(kAppPathsKey) + "\\qmroadlive.exe"));
    }

    void WriteSettings(const std::string& lines)
    {
        ASSERT_TRUE(TestEnv::WriteFile(m_ini, "[SETTINGS]\r\nFirstRun=0\r\n" + lines));
    }

    void Start(const std::string& arguments = std::string())
    {
        ASSERT_TRUE(m_program.Start(m_exe, arguments));
        m_window = m_program.WaitForMainWindow();
        ASSERT_NE(m_window, static_cast<HWND>(NULL)) << "no main window";
    }

    void Close()
    {
        ASSERT_TRUE(PressButton(m_window, IDC_CLOSE_BUTTON));
        ASSERT_TRUE(m_program.WaitForExit(15000)) << "the program did not close";
    }

    // Ticks exactly the three planted categories on the options page.
    void TickThreeCategories(HWND options)
    {
        if (!IsTicked(options, kSelectAllBox))
            ClickBox(options, kSelectAllBox);
        ClickBox(options, kSelectAllBox);
        for (int box : kVisibleBoxes)
            ASSERT_FALSE(IsTicked(options, box)) << box;
        for (int box : {kStartupBox, kFontsBox, kAppPathsBox})
            ClickBox(options, box);
    }

    // Starts the scan and waits for its end on the progress page.
    HWND ScanToTheEnd(HWND options)
    {
        Click(options, IDC_SCAN_START);
        const HWND progress = WaitForPageWith(m_window, IDC_SHOW_RESULTS);
        EXPECT_NE(progress, static_cast<HWND>(NULL)) << "the progress page did not show";
        if (progress)
        {
            EXPECT_TRUE(WaitForUsableControl(progress, IDC_SHOW_RESULTS, 240000)) << "the scan did not end";
        }
        return progress;
    }

    // Once the window has painted what it shows now.
    void Screenshot(HWND window, const std::string& name)
    {
        ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        ::Sleep(800);
        SaveScreenshot(window, name);
    }

    std::string m_folder, m_exe, m_ini;
    RunningProgram m_program;
    HWND m_window = NULL;
};
}

TEST_F(ScanRoad, TickedCategoriesAreScannedLiveAndReachResultsAndHomePage)
{
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_EQ(m_program.WaitForFirstPage("SCAN", "Step 1 of 3"), m_window);
    const HWND options = WaitForPageWith(m_window, IDC_SCAN_START);
    ASSERT_NE(options, static_cast<HWND>(NULL));
    // A first run ticks every category.
    for (int box : kVisibleBoxes)
        EXPECT_TRUE(IsTicked(options, box)) << box;
    EXPECT_TRUE(IsTicked(options, kSelectAllBox));
    Screenshot(m_window, "scan-options");

    ASSERT_NO_FATAL_FAILURE(TickThreeCategories(options));
    EXPECT_FALSE(IsTicked(options, kSelectAllBox));
    EXPECT_EQ(IniValue(m_ini, "LastSelectedScanTypes"), std::to_string(kThreeCategories));

    const HWND progress = ScanToTheEnd(options);
    ASSERT_NE(progress, static_cast<HWND>(NULL));
    EXPECT_TRUE(WaitForText(m_window, IDC_STEP_LABEL, "Step 2 of 3"));
    EXPECT_TRUE(IsUsableControl(::GetDlgItem(progress, IDC_PROGRESS_BACK)));
    EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(progress, IDC_CANCEL_SCAN)));
    // The live counters: at least the planted findings, one total over all.
    const int startup = std::atoi(Text(progress, kStartupCounter).c_str());
    const int fonts = std::atoi(Text(progress, kFontsCounter).c_str());
    const int appPaths = std::atoi(Text(progress, kAppPathsCounter).c_str());
    EXPECT_GE(startup, 2);
    EXPECT_GE(fonts, 2);
    EXPECT_GE(appPaths, 1);
    EXPECT_EQ(Text(progress, IDC_FOUND_COUNT), std::to_string(startup + fonts + appPaths));
    for (int counter : {1153, 1155, 1159, 1163, 1168, 1181, 1193, 1195, 1201})
        EXPECT_EQ(Text(progress, counter), "0") << "counter " << counter << " of a category not scanned";
    Screenshot(m_window, "scan-progress");

    Click(progress, IDC_SHOW_RESULTS);
    const HWND results = WaitForPageWith(m_window, IDC_REPAIR_BUTTON);
    ASSERT_NE(results, static_cast<HWND>(NULL)) << "the results page did not show";
    EXPECT_TRUE(WaitForText(m_window, IDC_CAPTION_LABEL, "SCAN RESULTS"));
    EXPECT_TRUE(WaitForText(m_window, IDC_STEP_LABEL, "Step 3 of 3"));
    EXPECT_EQ(Text(results, IDC_SELECTION_LABEL),
              std::to_string(startup + fonts + appPaths) + " of " + std::to_string(startup + fonts + appPaths) +
                  " error(s) selected for repair");
    Screenshot(m_window, "scan-results");

    Click(m_window, IDC_HOME_BUTTON);
    const HWND home = WaitForPageWith(m_window, kTotalFound);
    ASSERT_NE(home, static_cast<HWND>(NULL)) << "the home page did not show";
    EXPECT_TRUE(WaitForText(m_window, IDC_CAPTION_LABEL, "RESULTS"));
    EXPECT_TRUE(WaitForText(home, kTotalFound, std::to_string(startup + fonts + appPaths)));
    EXPECT_EQ(Text(home, kStartupFound), std::to_string(startup));
    EXPECT_EQ(Text(home, kFontsFound), std::to_string(fonts));
    EXPECT_EQ(Text(home, kAppPathsFound), std::to_string(appPaths));
    EXPECT_EQ(Text(home, kTotalFound), std::to_string(startup + fonts + appPaths));
    EXPECT_EQ(Text(home, kTotalRepaired), "0");
    EXPECT_NE(Text(home, kLastScan), "Never");
    EXPECT_EQ(Text(home, kLastScan), IniValue(m_ini, "LastScan"));
    EXPECT_EQ(IniValue(m_ini, "LastStartupErr"), std::to_string(startup));
    Screenshot(m_window, "home-page");

    // Back on the scan page the last step is shown again, with its results.
    Click(m_window, IDC_SCAN_BUTTON);
    EXPECT_NE(WaitForPageWith(m_window, IDC_REPAIR_BUTTON), static_cast<HWND>(NULL));
    ExpectDeadEntries(true);
    ASSERT_NO_FATAL_FAILURE(Close());

    // The next start shows the selection the user left.
    ASSERT_NO_FATAL_FAILURE(Start());
    const HWND again = WaitForPageWith(m_window, IDC_SCAN_START);
    ASSERT_NE(again, static_cast<HWND>(NULL));
    for (int box : kVisibleBoxes)
        EXPECT_EQ(IsTicked(again, box), box == kStartupBox || box == kFontsBox || box == kAppPathsBox) << box;
    ASSERT_NO_FATAL_FAILURE(Close());
}

namespace
{
const int kBulkCount = 1500;

std::string BulkName(int i)
{
    return "QmRoadBulk" + std::to_string(i);
}

// Many dead start-up entries, so that a scan runs long enough to be cancelled.
class CancelledScan : public ScanRoad
{
protected:
    void SetUp() override
    {
        ScanRoad::SetUp();
        HKEY key = NULL;
        ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, kRunKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        for (int i = 0; i < kBulkCount; ++i)
        {
            const std::string data = "c:\\qm-road-gone\\bulk" + std::to_string(i) + ".exe";
            ::RegSetValueExA(key, BulkName(i).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                             static_cast<DWORD>(data.size() + 1));
        }
        ::RegCloseKey(key);
    }
    void TearDown() override
    {
        for (int i = 0; i < kBulkCount; ++i)
            ::RegDeleteKeyValueA(HKEY_CURRENT_USER, kRunKey, BulkName(i).c_str());
        ScanRoad::TearDown();
    }

    // Nothing was repaired: every dead entry is there and no backup was made.
    void ExpectNothingRepaired(int backupsBefore)
    {
        ::Sleep(1500);
        ExpectDeadEntries(true);
        EXPECT_TRUE(TestEnv::ValueExists(HKEY_CURRENT_USER, kRunKey, BulkName(kBulkCount - 1)));
        EXPECT_EQ(CountBackups(m_folder + "RegBackup\\"), backupsBefore);
        EXPECT_FALSE(m_program.HasEnded());
    }
};
}

TEST_F(CancelledScan, NeitherContinuesNorRepairsEvenWithAutomaticRepairOn)
{
    ASSERT_NO_FATAL_FAILURE(WriteSettings("AutoRepair=1\r\nAutoShutdown=1\r\n"));
    const int backups = CountBackups(m_folder + "RegBackup\\");
    ASSERT_NO_FATAL_FAILURE(Start());
    const HWND options = WaitForPageWith(m_window, IDC_SCAN_START);
    ASSERT_NE(options, static_cast<HWND>(NULL));
    Click(options, IDC_SCAN_START);
    const HWND progress = WaitForPageWith(m_window, IDC_CANCEL_SCAN);
    ASSERT_NE(progress, static_cast<HWND>(NULL));
    EXPECT_TRUE(WaitForText(m_window, IDC_CAPTION_LABEL, "SCANNING"));
    // Cancelled once it has findings, long before the many start-up entries.
    ASSERT_TRUE(WaitUntil(60000, [](void* page) {
        return WindowText(::GetDlgItem(static_cast<HWND>(page), IDC_FOUND_COUNT)) != "0";
    }, progress)) << "no finding came";
    Click(progress, IDC_CANCEL_SCAN);
    Screenshot(m_window, "scan-progress-cancelling");
    ASSERT_TRUE(WaitForUsableControl(progress, IDC_SHOW_RESULTS, 120000)) << "the cancelled scan did not end";
    EXPECT_TRUE(::IsWindowVisible(::GetDlgItem(progress, IDC_SCAN_STATE)));
    EXPECT_EQ(Text(progress, IDC_SCAN_STATE), "Scan is canceled.");
    EXPECT_EQ(Text(m_window, IDC_CAPTION_LABEL), "SCAN");
    ASSERT_NO_FATAL_FAILURE(ExpectNothingRepaired(backups));
    EXPECT_TRUE(::IsWindowVisible(progress)) << "the cancelled scan went on to its results";
    Screenshot(m_window, "scan-progress-cancelled");

    // Showing its results, going back and coming again repairs nothing.
    Click(progress, IDC_SHOW_RESULTS);
    const HWND results = WaitForPageWith(m_window, IDC_REPAIR_BUTTON);
    ASSERT_NE(results, static_cast<HWND>(NULL));
    ASSERT_NO_FATAL_FAILURE(ExpectNothingRepaired(backups));
    EXPECT_NE(Text(results, IDC_SELECTION_LABEL), "Repairing Errors");
    Click(results, IDC_RESULTS_BACK);
    ASSERT_NE(WaitForPageWith(m_window, IDC_SHOW_RESULTS), static_cast<HWND>(NULL));
    Click(m_window, IDC_HOME_BUTTON);
    ASSERT_NE(WaitForPageWith(m_window, kTotalFound), static_cast<HWND>(NULL));
    Click(m_window, IDC_SCAN_BUTTON);
    const HWND again = WaitForPageWith(m_window, IDC_SHOW_RESULTS);
    ASSERT_NE(again, static_cast<HWND>(NULL)) << "the scan page lost its step";
    Click(again, IDC_SHOW_RESULTS);
    ASSERT_NE(WaitForPageWith(m_window, IDC_REPAIR_BUTTON), static_cast<HWND>(NULL));
    ASSERT_NO_FATAL_FAILURE(ExpectNothingRepaired(backups));
    ASSERT_NO_FATAL_FAILURE(Close());
}

TEST_F(ScanRoad, LogonStartWithAutomaticRepairRepairsOnceAndEndsTheProgram)
{
    ASSERT_NO_FATAL_FAILURE(WriteSettings("AutoRepair=1\r\nAutoShutdown=1\r\nAutoShutdownSystem=1\r\n"
                                          "AutoRestartSystem=1\r\nLastSelectedScanTypes=" +
                                          std::to_string(kThreeCategories) + "\r\n"));
    const int backups = CountBackups(m_folder + "RegBackup\\");
    ASSERT_TRUE(m_program.Start(m_exe, "STARTSCAN"));
    DWORD code = 1;
    ASSERT_TRUE(m_program.WaitForExit(240000, &code)) << "the program did not end by itself";
    EXPECT_EQ(code, 0u);

    ExpectDeadEntries(false);
    ExpectLiveEntries();
    EXPECT_EQ(CountBackups(m_folder + "RegBackup\\"), backups + 1) << "one backup of the repaired entries";
    const std::string found = IniValue(m_ini, "LastTotalErrCnt");
    EXPECT_GE(std::atoi(found.c_str()), 5);
    EXPECT_EQ(IniValue(m_ini, "LastTotalClnCnt"), found);
    EXPECT_EQ(IniValue(m_ini, "LastStartupCln"), IniValue(m_ini, "LastStartupErr"));
    EXPECT_NE(IniValue(m_ini, "LastScan"), "");

    // The home page of the next start shows what the repair did, and a
    // second scan finds none of it again.
    for (const char* key : {"AutoRepair", "AutoShutdown", "AutoShutdownSystem", "AutoRestartSystem"})
        ASSERT_TRUE(::WritePrivateProfileStringA("SETTINGS", key, "0", m_ini.c_str()));
    ASSERT_NO_FATAL_FAILURE(Start());
    Click(m_window, IDC_HOME_BUTTON);
    const HWND home = WaitForPageWith(m_window, kTotalFound);
    ASSERT_NE(home, static_cast<HWND>(NULL));
    EXPECT_TRUE(WaitForText(home, kTotalRepaired, found));
    EXPECT_EQ(Text(home, kTotalFound), found);
    EXPECT_EQ(Text(home, kStartupRepaired), IniValue(m_ini, "LastStartupCln"));
    EXPECT_EQ(Text(home, kStartupFound), IniValue(m_ini, "LastStartupErr"));
    EXPECT_EQ(Text(home, kLastScan), IniValue(m_ini, "LastScan"));
    Screenshot(m_window, "home-page-after-repair");
    Click(m_window, IDC_SCAN_BUTTON);
    const HWND options = WaitForPageWith(m_window, IDC_SCAN_START);
    ASSERT_NE(options, static_cast<HWND>(NULL));
    const HWND progress = ScanToTheEnd(options);
    ASSERT_NE(progress, static_cast<HWND>(NULL));
    for (int counter : {kStartupCounter, kFontsCounter, kAppPathsCounter})
        EXPECT_EQ(Text(progress, counter), "0") << counter;
    ASSERT_NO_FATAL_FAILURE(Close());
}
