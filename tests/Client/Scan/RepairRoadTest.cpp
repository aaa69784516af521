// Scan, review, untick, ignore and repair in the real Quillomar.exe: what is
// deleted, what stays, the backup that brings it back, the home page's
// statistics, and a second scan.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "Client/res/ScanPagesResource.h"
#include "Client/res/ScanResultsResource.h"
#include "Client/res/ShellResource.h"
#include "Engine/CRegistryManager.h"
#include "Framework/AnsiText.h"
#include "support/ProgramDriver.h"
#include "support/RecordingStatus.h"
#include "support/TestRegistry.h"

using namespace ProgramDriver;

namespace
{
const char kFonts[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";
const char kSharedDlls[] = "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
const char kAppPaths[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths";
// Fonts, shared DLLs and application paths.
const DWORD kScannedCategories = 0x2000 | 0x80000 | 0x40000;
const std::string kGap = "        ";

std::string Lower(const std::string& text)
{
    return AnsiText::ToLower(text);
}

std::string ValueText(const char* key, const std::string& name)
{
    return Lower("HKEY_LOCAL_MACHINE\\" + std::string(key) + "\xAC" + name);
}

std::string KeyText(const char* key, const std::string& name)
{
    return Lower("HKEY_LOCAL_MACHINE\\" + std::string(key) + "\\" + name);
}

bool HasValue(const char* key, const std::string& name)
{
    return TestEnv::ValueExists(HKEY_LOCAL_MACHINE, key, name);
}

bool HasApp(const std::string& name)
{
    return TestEnv::KeyExists(HKEY_LOCAL_MACHINE, std::string(kAppPaths) + "\\" + name);
}

struct Planted
{
    std::string fontDeadA = "Qm Dead A (TrueType)", fontDeadB = "Qm Dead B (TrueType)";
    std::string fontDeadC = "Qm Dead C", fontLive = "Qm Live (TrueType)";
    std::string dllDead1 = "c:\\qmnowhere\\qmgone1.dll", dllDead2 = "c:\\qmnowhere\\qmgone2.dll";
    std::string dllLive;
    std::string appDead = "qmgoneapp.exe", appLive = "qmliveapp.exe";
};

void Plant(const Planted& p)
{
    char windows[MAX_PATH] = {};
    ::GetWindowsDirectoryA(windows, MAX_PATH);
    ASSERT_TRUE(TestEnv::WriteFile(std::string(windows) + "\\Fonts\\qmlive.ttf", "font"));
    ASSERT_TRUE(TestEnv::SetString(HKEY_LOCAL_MACHINE, kFonts, p.fontDeadA, "qmdeada.ttf"));
    ASSERT_TRUE(TestEnv::SetString(HKEY_LOCAL_MACHINE, kFonts, p.fontDeadB, "qmdeadb.ttf"));
    ASSERT_TRUE(TestEnv::SetString(HKEY_LOCAL_MACHINE, kFonts, p.fontDeadC, "c:\\qmnowhere\\qmdeadc.fon"));
    ASSERT_TRUE(TestEnv::SetString(HKEY_LOCAL_MACHINE, kFonts, p.fontLive, "qmlive.ttf"));
    ASSERT_TRUE(TestEnv::SetString(HKEY_LOCAL_MACHINE, kSharedDlls, p.dllDead1, "1"));
    ASSERT_TRUE(TestEnv::SetString(HKEY_LOCAL_MACHINE, kSharedDlls, p.dllDead2, "1"));
    ASSERT_TRUE(TestEnv::SetString(HKEY_LOCAL_MACHINE, kSharedDlls, p.dllLive, "1"));
    ASSERT_TRUE(TestEnv::SetString(HKEY_LOCAL_MACHINE, std::string(kAppPaths) + "\\" + p.appDead, "",
                                   "C:\\QmNowhere\\QmGoneApp.exe"));
    ASSERT_TRUE(
        TestEnv::SetString(HKEY_LOCAL_MACHINE, std::string(kAppPaths) + "\\" + p.appLive, "", "notepad.exe"));
}

// The settings file: the three categories ticked, nothing else asked for.
void PlantSettings(const std::string& folder)
{
    ASSERT_TRUE(TestEnv::WriteFile(folder + "qmsettings.ini",
                                   "[SETTINGS]\r\nFirstRun=0\r\nLastSelectedScanTypes=" +
                                       std::to_string(kScannedCategories) + "\r\n"));
}

std::string Setting(const std::string& folder, const char* name)
{
    return TestEnv::SettingsValue(folder + "qmsettings.ini", name, "missing");
}

struct Usable
{
    HWND window;
    int id;
};

const TreeRow* FindRow(const std::vector<TreeRow>& rows, const std::string& text)
{
    for (const TreeRow& row : rows)
        if (row.depth == 1 && Lower(row.text) == text)
            return &row;
    return nullptr;
}

// The root rows and their leaves' count, in order.
std::vector<std::pair<std::string, int>> Roots(const std::vector<TreeRow>& rows)
{
    std::vector<std::pair<std::string, int>> roots;
    for (const TreeRow& row : rows)
    {
        if (row.depth == 0)
            roots.push_back({row.text, 0});
        else if (!roots.empty())
            ++roots.back().second;
    }
    return roots;
}

std::string FindBackup(const std::string& folder)
{
    WIN32_FIND_DATAA machine;
    const HANDLE machines = ::FindFirstFileA((folder + "RegBackup\\*").c_str(), &machine);
    if (machines == INVALID_HANDLE_VALUE)
        return std::string();
    std::string found;
    do
    {
        if (!(machine.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || machine.cFileName[0] == '.')
            continue;
        const std::string sub = folder + "RegBackup\\" + machine.cFileName + "\\";
        WIN32_FIND_DATAA file;
        const HANDLE files = ::FindFirstFileA((sub + "*_REGBACKUP.rbk").c_str(), &file);
        if (files != INVALID_HANDLE_VALUE)
        {
            found = sub + file.cFileName;
            ::FindClose(files);
        }
    } while (found.empty() && ::FindNextFileA(machines, &machine));
    ::FindClose(machines);
    return found;
}
}

TEST(RepairRoad, ScanReviewIgnoreRepairAndScanAgain)
{
    Planted planted;
    char system[MAX_PATH] = {};
    ::GetSystemDirectoryA(system, MAX_PATH);
    planted.dllLive = std::string(system) + "\\kernel32.dll";
    Plant(planted);
    const std::string folder = MakeProgramFolder("repair-road");
    PlantSettings(folder);

    RunningProgram program;
    ASSERT_TRUE(program.Start(folder + "Quillomar.exe"));
    const HWND mainWindow = program.WaitForMainWindow();
    ASSERT_NE(mainWindow, static_cast<HWND>(NULL));

    HWND tree = ScanAndShowResults(mainWindow);
    ASSERT_NE(tree, static_cast<HWND>(NULL));
    std::vector<TreeRow> rows = TreeRows(tree);

    // One root per category, each captioned with its number of findings;
    // the dead entries are there with their whole texts, the live ones not.
    const auto roots = Roots(rows);
    ASSERT_EQ(roots.size(), 3u);
    EXPECT_EQ(roots[0].first, "Windows Fonts" + kGap + "[" + std::to_string(roots[0].second) + " Error(s)]");
    EXPECT_EQ(roots[1].first, "Shared DLLs" + kGap + "[2 Error(s)]");
    EXPECT_EQ(roots[2].first, "Application Paths" + kGap + "[1 Error(s)]");
    for (const std::string& dead : {ValueText(kFonts, planted.fontDeadA), ValueText(kFonts, planted.fontDeadB),
                                    ValueText(kFonts, planted.fontDeadC), ValueText(kSharedDlls, planted.dllDead1),
                                    ValueText(kSharedDlls, planted.dllDead2), KeyText(kAppPaths, planted.appDead)})
        EXPECT_NE(FindRow(rows, dead), nullptr) << dead;
    for (const std::string& live : {ValueText(kFonts, planted.fontLive), ValueText(kSharedDlls, planted.dllLive),
                                    KeyText(kAppPaths, planted.appLive)})
        EXPECT_EQ(FindRow(rows, live), nullptr) << live;
    const int fonts = roots[0].second;
    EXPECT_TRUE(SaveScreenshot(mainWindow, "repair-road-results"));

    // Untick one font; ignore one shared library.
    const TreeRow* unticked = FindRow(rows, ValueText(kFonts, planted.fontDeadB));
    ASSERT_NE(unticked, nullptr);
    ASSERT_TRUE(TreeClickCheckBox(tree, unticked->item));
    rows = TreeRows(tree);
    EXPECT_EQ(FindRow(rows, ValueText(kFonts, planted.fontDeadB))->stateImage, 2u) << "the click did not untick it";
    const TreeRow* ignored = FindRow(rows, ValueText(kSharedDlls, planted.dllDead2));
    ASSERT_NE(ignored, nullptr);
    const std::string ignoredText = ignored->text;
    ASSERT_TRUE(TreeSelect(tree, ignored->item));
    ASSERT_TRUE(ClickWhenUsable(mainWindow, IDC_IGNORE_BUTTON));
    struct Gone
    {
        HWND tree;
        std::string text;
    } gone{tree, Lower(ignoredText)};
    ASSERT_TRUE(WaitUntil(
        10000, [](void* c) { auto* g = static_cast<Gone*>(c); return !FindRow(TreeRows(g->tree), g->text); }, &gone));
    // The list is written on a worker of the program.
    const std::string record = ignoredText + "^Shared DLLs^0;\r\n";
    EXPECT_TRUE(WaitFor(10000, [&] { return TestEnv::ReadFile(folder + "IL") == record; }))
        << TestEnv::ReadFile(folder + "IL");

    // Repair: the page ends on the home page.
    ASSERT_TRUE(ClickWhenUsable(mainWindow, IDC_REPAIR_BUTTON));
    struct Home
    {
        HWND window;
    } home{mainWindow};
    ASSERT_TRUE(WaitUntil(
        60000, [](void* c) { return !::IsWindowEnabled(::GetDlgItem(static_cast<Home*>(c)->window, IDC_HOME_BUTTON)); },
        &home))
        << "the repair did not end on the home page";

    EXPECT_FALSE(HasValue(kFonts, planted.fontDeadA));
    EXPECT_FALSE(HasValue(kFonts, planted.fontDeadC));
    EXPECT_FALSE(HasValue(kSharedDlls, planted.dllDead1));
    EXPECT_FALSE(HasApp(planted.appDead));
    EXPECT_TRUE(HasValue(kFonts, planted.fontDeadB)) << "the unticked finding was repaired";
    EXPECT_TRUE(HasValue(kSharedDlls, planted.dllDead2)) << "the ignored finding was repaired";
    EXPECT_TRUE(HasValue(kFonts, planted.fontLive));
    EXPECT_TRUE(HasValue(kSharedDlls, planted.dllLive));
    EXPECT_TRUE(HasApp(planted.appLive));

    // The home page and the stored statistics: what was repaired.
    const std::string fontsRepaired = std::to_string(fonts - 1);
    auto label = [mainWindow](int id) { return WindowText(FindVisibleControl(mainWindow, id)); };
    EXPECT_EQ(label(1201), fontsRepaired) << "fonts repaired";
    EXPECT_EQ(label(1203), "1") << "shared DLLs repaired";
    EXPECT_EQ(label(1205), "1") << "application paths repaired";
    EXPECT_EQ(label(1220), std::to_string(fonts - 1 + 2)) << "total repaired";
    EXPECT_EQ(Setting(folder, "LastFontCln"), fontsRepaired);
    EXPECT_EQ(Setting(folder, "LastSHDllCln"), "1");
    EXPECT_EQ(Setting(folder, "LastAppPathCln"), "1");
    EXPECT_EQ(Setting(folder, "LastTotalClnCnt"), std::to_string(fonts - 1 + 2));
    EXPECT_EQ(Setting(folder, "LastUnCln"), "0");
    EXPECT_TRUE(SaveScreenshot(mainWindow, "repair-road-home"));

    // A second scan finds none of what was repaired, nor the ignored one.
    tree = ScanAndShowResults(mainWindow);
    ASSERT_NE(tree, static_cast<HWND>(NULL));
    rows = TreeRows(tree);
    EXPECT_NE(FindRow(rows, ValueText(kFonts, planted.fontDeadB)), nullptr) << "the unticked finding is gone";
    for (const std::string& repaired : {ValueText(kFonts, planted.fontDeadA), ValueText(kFonts, planted.fontDeadC),
                                        ValueText(kSharedDlls, planted.dllDead1), ValueText(kSharedDlls, planted.dllDead2),
                                        KeyText(kAppPaths, planted.appDead)})
        EXPECT_EQ(FindRow(rows, repaired), nullptr) << repaired;
    EXPECT_EQ(Roots(rows).size(), 1u);

    ASSERT_TRUE(ClickWhenUsable(mainWindow, IDC_CLOSE_BUTTON));
    ASSERT_TRUE(program.WaitForExit(20000)) << "the program did not end";

    // The backup the repair made brings the repaired entries back.
    const std::string backup = FindBackup(folder);
    ASSERT_FALSE(backup.empty()) << "no backup before the repair";
    RecordingStatus status;
    CRegistryManager manager(&status);
    EXPECT_NE(manager.RestoreRegistry(backup), 0);
    EXPECT_TRUE(HasValue(kFonts, planted.fontDeadA));
    EXPECT_TRUE(HasValue(kFonts, planted.fontDeadC));
    EXPECT_TRUE(HasValue(kSharedDlls, planted.dllDead1));
    EXPECT_TRUE(HasApp(planted.appDead));
}

TEST(RepairRoad, ARepairWhoseBackupCannotBeWrittenChangesNothingAndSaysSo)
{
    Planted planted;
    char system[MAX_PATH] = {};
    ::GetSystemDirectoryA(system, MAX_PATH);
    planted.dllLive = std::string(system) + "\\kernel32.dll";
    Plant(planted);
    const std::string folder = MakeProgramFolder("repair-no-backup");
    PlantSettings(folder);
    // A file where the backup folder belongs: the engine can write no backup.
    ASSERT_TRUE(TestEnv::WriteFile(folder + "RegBackup", "in the way"));

    RunningProgram program;
    ASSERT_TRUE(program.Start(folder + "Quillomar.exe"));
    const HWND mainWindow = program.WaitForMainWindow();
    ASSERT_NE(mainWindow, static_cast<HWND>(NULL));
    ASSERT_NE(ScanAndShowResults(mainWindow), static_cast<HWND>(NULL));
    ASSERT_TRUE(ClickWhenUsable(mainWindow, IDC_REPAIR_BUTTON));
    const HWND box = WaitForMessageBoxWith(program.ProcessId(), "backup could not be written", 60000);
    ASSERT_NE(box, static_cast<HWND>(NULL)) << "the refused repair was not shown";
    EXPECT_NE(MessageBoxText(box).find("nothing was changed"), std::string::npos) << MessageBoxText(box);
    ASSERT_TRUE(AnswerMessageBox(box, IDOK));

    EXPECT_TRUE(HasValue(kFonts, planted.fontDeadA));
    EXPECT_TRUE(HasValue(kSharedDlls, planted.dllDead1));
    EXPECT_TRUE(HasApp(planted.appDead));
    EXPECT_NE(WaitForUsable(mainWindow, IDC_REPAIR_BUTTON, 10000), static_cast<HWND>(NULL)) << "the page stayed stuck";
    EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(mainWindow, IDC_HOME_BUTTON))) << "it went home as if repaired";
    EXPECT_EQ(Setting(folder, "LastTotalClnCnt"), "0");

    ASSERT_TRUE(ClickWhenUsable(mainWindow, IDC_CLOSE_BUTTON));
    EXPECT_TRUE(program.WaitForExit(20000)) << "the program did not end";
}

TEST(RepairRoad, AnIgnoredStartupItemOutlivesTheAutomaticRepairUnderItsOtherName)
{
    const std::string run = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    const std::vector<std::string> names = {"QmTwinA", "QmTwinB", "QmTwinC"};
    for (const std::string& name : names)
        ASSERT_TRUE(TestEnv::SetString(HKEY_CURRENT_USER, run, name, "c:\\qm-twin-gone\\" + name + ".exe"));
    const std::string folder = MakeProgramFolder("ignored-twins");
    // Startup items, and the file references of the user hives, which reach
    // the same values by the user's SID.
    const std::string categories = "[SETTINGS]\r\nFirstRun=0\r\nLastSelectedScanTypes=" +
                                   std::to_string(0x400 | 0x400000) + "\r\n";
    ASSERT_TRUE(TestEnv::WriteFile(folder + "qmsettings.ini", categories));

    RunningProgram program;
    ASSERT_TRUE(program.Start(folder + "Quillomar.exe"));
    const HWND mainWindow = program.WaitForMainWindow();
    ASSERT_NE(mainWindow, static_cast<HWND>(NULL));
    const HWND tree = ScanAndShowResults(mainWindow);
    ASSERT_NE(tree, static_cast<HWND>(NULL));
    const std::string ignored = Lower("\\" + run + "\xAC" + names[1]);
    auto namesOfIgnored = [tree, &ignored] {
        std::vector<std::string> texts;
        for (const TreeRow& row : TreeRows(tree))
        {
            const std::string text = Lower(row.text);
            if (row.depth == 1 && text.size() > ignored.size() &&
                text.compare(text.size() - ignored.size(), ignored.size(), ignored) == 0)
                texts.push_back(text);
        }
        return texts;
    };
    const std::string startup = "hkey_current_user" + ignored;
    const std::vector<std::string> listed = namesOfIgnored();
    ASSERT_EQ(listed.size(), 2u) << "the value is not listed under both names";
    ASSERT_NE(std::find(listed.begin(), listed.end(), startup), listed.end());
    const TreeRow* row = FindRow(TreeRows(tree), startup);
    ASSERT_NE(row, nullptr);
    ASSERT_TRUE(TreeSelect(tree, row->item));
    ASSERT_TRUE(ClickWhenUsable(mainWindow, IDC_IGNORE_BUTTON));
    EXPECT_TRUE(WaitFor(10000, [&] { return namesOfIgnored().empty(); })) << "the ignore left a twin listed";
    EXPECT_TRUE(SaveScreenshot(mainWindow, "ignored-twins-results"));
    ASSERT_TRUE(ClickWhenUsable(mainWindow, IDC_CLOSE_BUTTON));
    ASSERT_TRUE(program.WaitForExit(20000)) << "the program did not end";

    // The next start scans, repairs by itself and ends.
    ASSERT_TRUE(TestEnv::WriteFile(folder + "qmsettings.ini", categories + "AutoRepair=1\r\nAutoShutdown=1\r\n"));
    RunningProgram again;
    ASSERT_TRUE(again.Start(folder + "Quillomar.exe", "STARTSCAN"));
    ASSERT_TRUE(again.WaitForExit(240000)) << "the program did not end by itself";
    EXPECT_TRUE(TestEnv::ValueExists(HKEY_CURRENT_USER, run, names[1])) << "the ignored value was repaired";
    EXPECT_FALSE(TestEnv::ValueExists(HKEY_CURRENT_USER, run, names[0]));
    EXPECT_FALSE(TestEnv::ValueExists(HKEY_CURRENT_USER, run, names[2]));
    for (const std::string& name : names)
        ::RegDeleteKeyValueA(HKEY_CURRENT_USER, run.c_str(), name.c_str());
}
