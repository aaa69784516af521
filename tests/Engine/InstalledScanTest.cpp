// Fonts, shared libraries, installer folders and uninstall entries.
#include "ScanFixture.h"

#include "Framework/AnsiText.h"
#include "support/TestRegistry.h"

namespace
{
const char kFonts[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";
const char kSharedDlls[] = "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
const char kSharedDlls32[] = "Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
const char kFolders[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer\\Folders";
const char kUninstall[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const char kUninstall32[] = "Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

std::string ValueText(const std::string& key, const std::string& name)
{
    return "HKEY_LOCAL_MACHINE\\" + key + "\xAC" + name;
}

bool HasStatus(const RecordingStatus& status, const std::string& text, const std::string& code,
               bool prefixOnly = false)
{
    for (const RecordingStatus::Call& call : status.Calls())
        if (call.op == "status" && call.code == code && (prefixOnly ? call.text.rfind(text, 0) == 0 : call.text == text))
            return true;
    return false;
}

class InstalledScan : public PlantedEntries
{
protected:
    void PlantValue(const char* key, const std::string& name, const std::string& data, REGSAM view = 0)
    {
        SetString(HKEY_LOCAL_MACHINE, key, name, data, view);
        RemoveValueLater(HKEY_LOCAL_MACHINE, key, name, view);
    }
    void PlantUninstaller(const char* key, const std::string& product, const std::string& name,
                          const std::string& command, REGSAM view = 0)
    {
        SetString(HKEY_LOCAL_MACHINE, std::string(key) + "\\" + product, name, command, view);
        RemoveLater(HKEY_LOCAL_MACHINE, std::string(key) + "\\" + product, view);
    }
};
}

TEST_F(InstalledScan, FontsReportsFilesMissingFromBothPlaces)
{
    PlantFile(WindowsFolder() + "Fonts\\qmpresent.ttf");
    const std::string elsewhere = PlantFile(Scratch() + "qmelsewhere.ttf");
    PlantValue(kFonts, "Qm Present (TrueType)", "qmpresent.ttf");
    PlantValue(kFonts, "Qm Elsewhere (TrueType)", elsewhere);
    PlantValue(kFonts, "Qm Missing (TrueType)", "qmmissing.ttf");
    PlantValue(kFonts, "Qm Missing Path", "c:\\qmnowhere\\qmmissing.fon");
    PlantValue(kFonts, "Qm Absent Drive", "q:\\fonts\\qmmissing.ttf");
    SetData(HKEY_LOCAL_MACHINE, kFonts, "Qm No Data", REG_SZ, "", 0);
    RemoveValueLater(HKEY_LOCAL_MACHINE, kFonts, "Qm No Data");

    RecordingStatus status;
    ScanProbe probe;
    const std::set<Finding> findings = RunScan(probe, kScanFonts, status);
    // A fresh Wine prefix lists four bitmap fonts it does not install.
    EXPECT_EQ(findings, FindingsOf(kScanFonts, {ValueText(kFonts, "Qm Missing (TrueType)"),
                                                ValueText(kFonts, "Qm Missing Path"), ValueText(kFonts, "Courier"),
                                                ValueText(kFonts, "MS Sans Serif"), ValueText(kFonts, "MS Serif"),
                                                ValueText(kFonts, "Small Fonts")}));
    EXPECT_TRUE(HasStatus(status, std::string(kFonts) + "/Qm Present (TrueType)", "N"));
    EXPECT_FALSE(HasStatus(status, std::string(kFonts) + "/Qm No Data", "N"));
}

TEST_F(InstalledScan, SharedDllsReadTheProgramsOwnViewAndKeepFoundPaths)
{
    const REGSAM other = TestEnv::OtherView();
    const std::string present = PlantFile(Scratch() + "qmshared.dll");
    ASSERT_TRUE(WriteNativeSystemFile("qmnativeshared.dll"));
    PlantValue(kSharedDlls, present, "1");
    PlantValue(kSharedDlls, "c:\\qmnowhere\\qmgone.dll", "1");
    PlantValue(kSharedDlls, "\"c:\\qmnowhere\\qmquoted.dll\"", "2");
    PlantValue(kSharedDlls, "q:\\qmabsent\\qmgone.dll", "1");
    // A variable nothing expands cannot be judged.
    PlantValue(kSharedDlls, "%ProgramData%\\QmNowhere\\qmgone.dll", "1");
    PlantValue(kSharedDlls, SystemFolder() + "qmnativeshared.dll", "1");
    std::vector<std::string> expected = {ValueText(kSharedDlls, "c:\\qmnowhere\\qmgone.dll"),
                                         ValueText(kSharedDlls, "\"c:\\qmnowhere\\qmquoted.dll\"")};
    // The other view of a 64-bit Windows is not this program's to scan; a
    // 32-bit Windows has one view.
    PlantValue(kSharedDlls, "c:\\qmnowhere\\qmnative.dll", "1", other);
    if (!other)
        expected.push_back(ValueText(kSharedDlls, "c:\\qmnowhere\\qmnative.dll"));
    if (TestEnv::Is64BitWindows())
    {
        // A 32-bit program's file named by its system32 path is there for
        // either build.
        ASSERT_TRUE(Write32BitSystemFile("qm32shared.dll"));
        PlantValue(kSharedDlls, "c:\\windows\\system32\\qm32shared.dll", "1");
        // The 32-bit view through its native name: the own view of a 32-bit build only.
        PlantValue(kSharedDlls32, "c:\\qmnowhere\\qmwow.dll", "1", KEY_WOW64_64KEY);
        if (TestEnv::IsWow64())
            expected.push_back(ValueText(kSharedDlls, "c:\\qmnowhere\\qmwow.dll"));
    }

    RecordingStatus status;
    ScanProbe probe;
    EXPECT_EQ(RunScan(probe, kScanSharedDlls, status, {"C:", "D:"}, 0), FindingsOf(kScanSharedDlls, expected));
    EXPECT_EQ(probe.Folders(), (std::set<std::string>{"C:", "D:"}));

    // A scheduled run keeps the libraries it found.
    RecordingStatus scheduled;
    RunScan(probe, kScanSharedDlls, scheduled, {"C:"}, 1);
    EXPECT_EQ(probe.Folders().count(present), 1u);
    EXPECT_EQ(probe.Folders().count("c:\\qmnowhere\\qmgone.dll"), 0u);
    RemoveSystemFiles("qmnativeshared.dll");
    RemoveSystemFiles("qm32shared.dll");
}

TEST_F(InstalledScan, InstallerFoldersAndUninstallEntries)
{
    const REGSAM other = TestEnv::OtherView();
    const std::string folder = Scratch();
    PlantValue(kFolders, folder, "");
    PlantValue(kFolders, "c:\\qmnowhere\\", "");
    PlantValue(kFolders, "\"q:\\qmabsent\\\"", "");

    const std::string uninstaller = PlantFile(folder + "unins000.exe");
    // A folder whose name holds ".exe" does not end the program's path.
    ::CreateDirectoryA((folder + "qm.exec").c_str(), nullptr);
    const std::string inExecFolder = PlantFile(folder + "qm.exec\\tool.exe");
    PlantUninstaller(kUninstall, "QmGone", "UninstallString", "\"C:\\QmNowhere\\Unins000.EXE\" /SILENT");
    PlantUninstaller(kUninstall, "QmHere", "UninstallString", "\"" + uninstaller + "\" /SILENT");
    PlantUninstaller(kUninstall, "QmExecFolder", "UninstallString", inExecFolder + " /remove");
    PlantUninstaller(kUninstall, "QmMsi", "UninstallString", "MsiExec.exe /X{11111111-2222-3333-4444-555555555555}");
    PlantUninstaller(kUninstall, "QmRundll", "UninstallString", "RunDll32 c:\\qmnowhere\\setup.exe,Remove");
    PlantUninstaller(kUninstall, "QmOtherCase", "uninstallstring", "c:\\qmnowhere\\unins000.exe");
    PlantUninstaller(kUninstall, "QmScript", "UninstallString", "c:\\qmnowhere\\remove.bat");
    PlantUninstaller(kUninstall, "QmLocked", "UninstallString", "c:\\qmnowhere\\unins000.exe");
    DenyWrite(HKEY_LOCAL_MACHINE, std::string(kUninstall) + "\\QmLocked");
    // In the other view of a 64-bit Windows: not this program's to scan.
    PlantUninstaller(kUninstall, "QmNative", "UninstallString", "c:\\qmnowhere\\unins000.exe", other);
    std::vector<std::string> expected = {"HKEY_LOCAL_MACHINE\\" + std::string(kUninstall) + "\\QmGone",
                                         ValueText(kFolders, "c:\\qmnowhere\\")};
    if (!other)
        expected.push_back("HKEY_LOCAL_MACHINE\\" + std::string(kUninstall) + "\\QmNative");
    if (TestEnv::Is64BitWindows())
    {
        // The 32-bit view through its native name: the own view of a 32-bit build only.
        PlantUninstaller(kUninstall32, "QmWow", "UninstallString", "c:\\qmnowhere\\unins000.exe", KEY_WOW64_64KEY);
        if (TestEnv::IsWow64())
            expected.push_back("HKEY_LOCAL_MACHINE\\" + std::string(kUninstall) + "\\QmWow");
    }

    RecordingStatus status;
    ScanProbe probe;
    EXPECT_EQ(RunScan(probe, kScanUninstall, status, {"C:"}, 1), FindingsOf(kScanUninstall, expected));
    EXPECT_TRUE(HasStatus(status, std::string(kUninstall) + "\\QmHere", "U"));
    EXPECT_FALSE(HasStatus(status, std::string(kUninstall) + "\\QmMsi", "U"));
    // The first installer folder is shown, joined to its key with "/".
    EXPECT_TRUE(HasStatus(status, std::string(kFolders) + "/", "U", true));
    EXPECT_EQ(probe.Folders().count(folder), 1u);
    EXPECT_EQ(probe.Folders().count(AnsiText::ToLower(uninstaller)), 1u);
}
