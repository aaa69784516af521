// File associations: empty extension keys and open commands of missing programs.
#include "ScanFixture.h"

#include "Engine/ScanCategory.h"
#include "support/TestRegistry.h"

namespace
{
const char kClasses[] = "Software\\Classes\\";

class FileTypesScan : public PlantedEntries
{
protected:
    // An extension whose program identifier opens with command.
    void PlantAssociation(const std::string& extension, const std::string& command)
    {
        const std::string progId = "QmTest" + extension.substr(1) + ".File";
        SetString(HKEY_LOCAL_MACHINE, kClasses + extension, "", progId);
        SetString(HKEY_LOCAL_MACHINE, kClasses + progId + "\\shell\\open\\command", "", command);
        RemoveLater(HKEY_LOCAL_MACHINE, kClasses + extension);
        RemoveLater(HKEY_LOCAL_MACHINE, kClasses + progId);
    }
    void PlantExtension(const std::string& extension)
    {
        CreateKey(HKEY_LOCAL_MACHINE, kClasses + extension);
        RemoveLater(HKEY_LOCAL_MACHINE, kClasses + extension);
    }
};
}

TEST_F(FileTypesScan, ReportsEmptyExtensionsAndMissingProgramsOnly)
{
    const std::string present = PlantFile(Scratch() + "viewer.exe");
    ASSERT_TRUE(WriteNativeSystemFile("qmnativeview.exe"));
    // A 32-bit program's file named by its system32 path is there for either
    // build of a 64-bit Windows.
    const bool windows64 = TestEnv::Is64BitWindows();
    if (windows64)
    {
        ASSERT_TRUE(Write32BitSystemFile("qm32view.exe"));
    }

    PlantExtension(".qmempty");
    PlantExtension(".qmlocked");
    DenyWrite(HKEY_LOCAL_MACHINE, std::string(kClasses) + ".qmlocked");
    PlantExtension(".qmvalue");
    SetString(HKEY_LOCAL_MACHINE, std::string(kClasses) + ".qmvalue", "Content Type", "text/plain");
    PlantExtension(".qmsubkey");
    CreateKey(HKEY_LOCAL_MACHINE, std::string(kClasses) + ".qmsubkey\\ShellNew");
    // A default value of no bytes at all, and one of a lone zero byte.
    PlantExtension(".qmnodata");
    SetData(HKEY_LOCAL_MACHINE, std::string(kClasses) + ".qmnodata", "", REG_SZ, "", 0);
    PlantExtension(".qmzero");
    SetData(HKEY_LOCAL_MACHINE, std::string(kClasses) + ".qmzero", "", REG_SZ, "", 1);
    // A program identifier without an open command, and one whose command is empty.
    PlantExtension(".qmnoverb");
    SetString(HKEY_LOCAL_MACHINE, std::string(kClasses) + ".qmnoverb", "", "QmTestNoSuch.File");
    PlantAssociation(".qmnocommand", "");
    SetData(HKEY_LOCAL_MACHINE, std::string(kClasses) + "QmTestqmnocommand.File\\shell\\open\\command", "", REG_SZ,
            "", 0);

    PlantAssociation(".qmgone", "\"C:\\Program Files\\QmGone\\Viewer.EXE\" \"%1\"");
    PlantAssociation(".qmvargone", "%ProgramFiles%\\QmGone\\viewer.exe %1");
    PlantAssociation(".qmlibgone", "c:\\qmnowhere\\viewer.dll,Open %1");
    PlantAssociation(".qmhere", "\"" + present + "\" /open \"%1\"");
    PlantAssociation(".qmscript", "C:\\QMNOWHERE\\RUNNER.VBS \"%1\"");
    PlantAssociation(".qmhost", "rundll32.exe c:\\qmnowhere\\viewer.dll,Open %1");
    PlantAssociation(".qmnative", "%SystemDir%\\qmnativeview.exe \"%1\"");
    if (windows64)
        PlantAssociation(".qm32", "c:\\windows\\system32\\qm32view.exe \"%1\"");

    RecordingStatus status;
    ScanProbe probe;
    const std::set<Finding> findings = RunScan(probe, kScanFileTypes, status);
    RemoveSystemFiles("qmnativeview.exe");
    RemoveSystemFiles("qm32view.exe");

    EXPECT_EQ(findings, FindingsOf(kScanFileTypes, {"HKEY_CLASSES_ROOT\\.qmempty", "HKEY_CLASSES_ROOT\\.qmgone",
                                                    "HKEY_CLASSES_ROOT\\.qmvargone",
                                                    "HKEY_CLASSES_ROOT\\.qmlibgone"}));
    // The first subkey of HKEY_CLASSES_ROOT is always shown.
    bool shown = false;
    for (const RecordingStatus::Call& call : status.Calls())
        shown = shown || (call.op == "status" && call.code == "F" && call.text.rfind("HKEY_CLASSES_ROOT\\", 0) == 0);
    EXPECT_TRUE(shown);
}
