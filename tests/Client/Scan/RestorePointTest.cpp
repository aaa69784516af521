// The restore point around a repair: under Wine's own srclient.dll, which
// refuses, and with a stand-in that grants it, placed in the system folder
// (the test runs with WINEDLLOVERRIDES=srclient=n,b).
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "Client/Scan/SystemRestorePoint.h"
#include "Client/Scan/StoreTestFolder.h"
#include "Client/Scan/ResultsPageFixture.h"
#include "Client/res/ScanResultsResource.h"
#include "Engine/ScanCategory.h"
#include "Framework/ModulePath.h"
#include "support/TestRegistry.h"

using namespace PlantedFindings;

namespace
{
std::string LogPath()
{
    char folder[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, folder);
    return std::string(folder) + "qm-fake-srclient.log";
}

// The stand-in beside the test program; a copy of the program in a folder
// of its own finds it through the environment that the original set.
std::string FakeLibrary()
{
    const char kVariable[] = "QM_FAKE_SRCLIENT";
    char path[MAX_PATH] = {};
    if (::GetEnvironmentVariableA(kVariable, path, MAX_PATH) == 0)
    {
        ::SetEnvironmentVariableA(kVariable, (ModulePath::Folder() + "qmtest_fake_srclient.dll").c_str());
        ::GetEnvironmentVariableA(kVariable, path, MAX_PATH);
    }
    return path;
}

// The stand-in in place of the system's library while it lives.
class FakeSystemRestore
{
public:
    FakeSystemRestore() : m_target(SystemRestorePoint::LibraryPath()), m_saved(m_target + ".qm-saved")
    {
        ::DeleteFileA(LogPath().c_str());
        m_hadOriginal = ::MoveFileExA(m_target.c_str(), m_saved.c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
        m_placed = ::CopyFileA(FakeLibrary().c_str(), m_target.c_str(), FALSE) != FALSE;
    }
    ~FakeSystemRestore()
    {
        ::DeleteFileA(m_target.c_str());
        if (m_hadOriginal)
            ::MoveFileExA(m_saved.c_str(), m_target.c_str(), MOVEFILE_REPLACE_EXISTING);
    }
    bool IsPlaced() const { return m_placed; }

private:
    std::string m_target;
    std::string m_saved;
    bool m_hadOriginal = false;
    bool m_placed = false;
};

// What the repair's status line said when the job started.
std::function<int(CAbstractScanItemsInfo&)> NoteStatusAndDelete(CScanResultDlg& page, std::string& status)
{
    return [&page, &status](CAbstractScanItemsInfo& store) {
        status = CWnd::GetText(page.GetDlgItem(IDC_RESULTS_STATUS));
        for (int more = store.MoveFirst(); more; more = store.MoveNext())
            if (!store.IsCurrentItemExcluded())
                DeleteFinding(store.GetCurrentText());
        return 0;
    };
}
}

TEST_F(ResultsPageTest, WhereSystemRestoreRefusesTheRepairGoesOnAndSaysSo)
{
    if (!RunInOwnFolder())
        return;
    theApp.m_settings.restorePoint = 1;
    ASSERT_TRUE(PlantValue("Fonts", "f1.ttf"));
    ShowFindings({{kScanFonts, ValueText("Fonts", "f1.ttf")}}, kScanFonts);
    std::string status;
    m_job.body = NoteStatusAndDelete(Page(), status);
    Page().OnRepair();
    ASSERT_TRUE(PumpUntil([this] { return RepairEnded(); }));
    EXPECT_EQ(status.find("No restore point could be made"), 0u) << status;
    EXPECT_FALSE(Page().RestorePoint().IsBegun());
    EXPECT_FALSE(ValueExists("Fonts", "f1.ttf"));
    EXPECT_EQ(Page().LastRepair().total, 1);
}

TEST_F(ResultsPageTest, WithSystemRestoreOnePointIsBegunAndEndedAroundTheRepair)
{
    FakeLibrary();
    if (!RunInOwnFolder())
        return;
    FakeSystemRestore fake;
    ASSERT_TRUE(fake.IsPlaced());
    theApp.m_settings.restorePoint = 1;
    for (const char* name : {"f1.ttf", "f2.ttf", "f3.ttf"})
        ASSERT_TRUE(PlantValue("Fonts", name));
    ShowFindings({{kScanFonts, ValueText("Fonts", "f1.ttf")}, {kScanFonts, ValueText("Fonts", "f2.ttf")},
                  {kScanFonts, ValueText("Fonts", "f3.ttf")}},
                 kScanFonts);
    // Every finding but one unticked: a point all the same.
    Page().Tree().ToggleNode(FindLeaf(ValueText("Fonts", "f2.ttf")));
    Page().Tree().ToggleNode(FindLeaf(ValueText("Fonts", "f3.ttf")));
    std::string status;
    m_job.body = NoteStatusAndDelete(Page(), status);
    Page().OnRepair();
    ASSERT_TRUE(PumpUntil([this] { return RepairEnded(); }));
    EXPECT_EQ(status.find("Restore point made"), 0u) << status;
    EXPECT_EQ(FileBytes(LogPath()), "100 12 0 Quillomar Restore Point before Repair\n"
                                    "101 12 4711 Quillomar Restore Point before Repair\n");
    EXPECT_FALSE(Page().RestorePoint().IsBegun());

    // Without the setting no point is asked for.
    theApp.m_settings.restorePoint = 0;
    ::DeleteFileA(LogPath().c_str());
    ASSERT_TRUE(PlantValue("Fonts", "f4.ttf"));
    ShowFindings({{kScanFonts, ValueText("Fonts", "f4.ttf")}}, kScanFonts);
    m_job.body = NoteStatusAndDelete(Page(), status);
    Page().OnRepair();
    ASSERT_TRUE(PumpUntil([this] { return RepairEnded(); }));
    EXPECT_FALSE(TestEnv::FileExists(LogPath()));
    EXPECT_EQ(status, "Starting repair...");
}

TEST(SystemRestorePoint, TheLibraryComesFromTheSystemFolderOnly)
{
    char folder[MAX_PATH] = {};
    ::GetSystemDirectoryA(folder, MAX_PATH);
    EXPECT_EQ(SystemRestorePoint::LibraryPath(), std::string(folder) + "\\srclient.dll");
    // A copy beside the program is never taken for the system's.
    FakeLibrary();
    if (!RunInOwnFolder())
        return;
    ASSERT_TRUE(::CopyFileA(FakeLibrary().c_str(), (ModulePath::Folder() + "srclient.dll").c_str(), FALSE));
    ::DeleteFileA(LogPath().c_str());
    RESTOREPOINTINFOA request = {};
    request.dwEventType = BEGIN_SYSTEM_CHANGE;
    STATEMGRSTATUS status = {};
    EXPECT_FALSE(SystemRestorePoint::LoadAndSetRestorePoint(&request, &status));
    EXPECT_NE(status.nStatus, 0u);
    EXPECT_FALSE(TestEnv::FileExists(LogPath()));
    ::DeleteFileA((ModulePath::Folder() + "srclient.dll").c_str());
}
