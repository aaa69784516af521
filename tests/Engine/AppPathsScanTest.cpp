// Registered application paths whose program is gone.
#include "ScanFixture.h"

#include "Framework/AnsiText.h"
#include "support/TestRegistry.h"

namespace
{
const char kAppPaths[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths";

class AppPathsScan : public PlantedEntries
{
protected:
    void PlantApplication(const std::string& name, const std::string& program, const std::string& folder = "",
                          const std::string& otherValue = "")
    {
        const std::string key = std::string(kAppPaths) + "\\" + name;
        SetString(HKEY_LOCAL_MACHINE, key, "", program);
        if (!folder.empty())
            SetString(HKEY_LOCAL_MACHINE, key, "Path", folder);
        if (!otherValue.empty())
            SetString(HKEY_LOCAL_MACHINE, key, otherValue, "1");
        RemoveLater(HKEY_LOCAL_MACHINE, key);
    }
    static std::string Finding(const std::string& name)
    {
        return "HKEY_LOCAL_MACHINE\\" + std::string(kAppPaths) + "\\" + name;
    }
};
}

TEST_F(AppPathsScan, ReportsApplicationsWhoseProgramIsGone)
{
    const std::string folder = Scratch();
    const std::string tool = PlantFile(folder + "qmtool.exe");
    PlantApplication("qmgone.exe", "C:\\QmNowhere\\QmGone.exe");
    PlantApplication("QMUPPER.EXE", "c:\\qmnowhere\\qmupper.exe");
    PlantApplication("CMMGR32.EXE", "c:\\qmnowhere\\cmmgr32.exe");
    PlantApplication("qmhere.exe", "\"" + tool + "\"");
    PlantApplication("qmnotepad.exe", "notepad.exe");
    // A bare program name is looked for in the "Path" folder.
    PlantApplication("qmtool.exe", "qmtool.exe", folder);
    PlantApplication("qmtoolgone.exe", "qmtoolgone.exe", folder + "\\\\");
    PlantApplication("qmother.exe", "c:\\qmnowhere\\qmother.exe", "", "UseUrl");
    PlantApplication("qmlocked.exe", "c:\\qmnowhere\\qmlocked.exe");
    DenyWrite(HKEY_LOCAL_MACHINE, std::string(kAppPaths) + "\\qmlocked.exe");
    // A 32-bit program's file named by its system32 path is there for either build.
    if (TestEnv::Is64BitWindows())
    {
        ASSERT_TRUE(Write32BitSystemFile("qm32app.exe"));
        PlantApplication("qm32app.exe", "C:\\Windows\\System32\\qm32app.exe");
    }

    RecordingStatus status;
    ScanProbe probe;
    EXPECT_EQ(RunScan(probe, kScanAppPaths, status, {"C:"}, 1),
              FindingsOf(kScanAppPaths, {Finding("qmgone.exe"), Finding("qmupper.exe"), Finding("qmtoolgone.exe")}));
    // A scheduled run keeps the program it found through "Path".
    EXPECT_EQ(probe.Folders().count(AnsiText::ToLower(tool)), 1u);
    RemoveSystemFiles("qm32app.exe");
}

// Windows keeps the values of a key in no promised order (Wine sorts them by
// name), so the judgement is given them in both orders.
TEST_F(AppPathsScan, JudgesTheProgramInItsFolderWhateverTheValueOrder)
{
    const std::string folder = Scratch();
    PlantFile(folder + "qmordered.exe");
    PlantFile(folder + "qmcurrentonly.exe");
    char oldCurrent[MAX_PATH] = {};
    ::GetCurrentDirectoryA(MAX_PATH, oldCurrent);
    ::SetCurrentDirectoryA(folder.c_str());

    ScanProbe probe;
    RecordingStatus status;
    probe.RunOnThisThread(&status);
    struct Case
    {
        std::vector<AppPathValue> values;
        bool missing;
    };
    const Case cases[] = {
        {{{"Path", folder}, {"", "qmordered.exe"}}, false},
        {{{"", "qmordered.exe"}, {"Path", folder}}, false},
        {{{"PATH", folder + "\\"}, {"", "QMORDERED.EXE"}}, false},
        {{{"Path", folder}, {"", "qmgoneordered.exe"}}, true},
        {{{"", "qmgoneordered.exe"}, {"path", folder}}, true},
        {{{"Path", "c:\\qmnowhere"}, {"", "qmordered.exe"}}, true},
        {{{"Path", folder}, {"", "c:\\qmnowhere\\qmordered.exe"}}, true},
        // Only in the engine's current folder: no start would find it.
        {{{"", "qmcurrentonly.exe"}}, true},
        {{{"UseUrl", "1"}, {"", "c:\\qmnowhere\\qm.exe"}}, false},
        {{{"", "c:\\qmnowhere\\qm.exe"}, {"UseUrl", "1"}}, false},
        {{{"Path", folder}}, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(probe.IsRegisteredApplicationMissing(c.values), c.missing)
            << c.values.front().name << "=" << c.values.front().text;
    ::SetCurrentDirectoryA(oldCurrent);
}
