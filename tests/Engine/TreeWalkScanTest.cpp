// The registry tree walk: file references in the user hives and empty help
// folders of the type libraries.
#include "ScanFixture.h"

#include "Framework/CRegKey.h"
#include "support/TestRegistry.h"

namespace
{
const char kRefs[] = "Software\\QmRefs";
const char kLibraries[] = "Software\\Classes\\TypeLib\\";

// The key text under which the walk of HKEY_USERS reaches a key of HKCU.
std::string UserKeyText(const std::string& key)
{
    CRegKey users;
    users.Open(HKEY_USERS, nullptr, KEY_READ);
    char name[256];
    for (DWORD i = 0; ::RegEnumKeyA(users.Get(), i, name, sizeof(name)) == ERROR_SUCCESS; ++i)
        if (std::string(name) != ".Default" && TestEnv::KeyExists(HKEY_USERS, std::string(name) + "\\" + key))
            return "HKEY_USERS\\" + std::string(name) + "\\" + key;
    return "HKEY_USERS\\?\\" + key;
}

std::string ValueFinding(const std::string& keyText, const std::string& name)
{
    return keyText + "\xAC" + name;
}

class TreeWalkScan : public PlantedEntries
{
protected:
    void PlantReference(const std::string& key, const std::string& name, const std::string& text,
                        DWORD type = REG_SZ)
    {
        SetString(HKEY_CURRENT_USER, key, name, text, 0, type);
    }
    void PlantHelpDir(const std::string& library, const std::string& name, const std::string& folder,
                      REGSAM view = 0)
    {
        SetString(HKEY_LOCAL_MACHINE, kLibraries + library + "\\1.0\\" + name, "", folder, view);
        RemoveLater(HKEY_LOCAL_MACHINE, kLibraries + library, view);
    }
};
}

TEST_F(TreeWalkScan, UserHivesReportStringValuesNamingMissingFiles)
{
    RemoveLater(HKEY_CURRENT_USER, kRefs);
    const std::string present = PlantFile(Scratch() + "qmreport, final.txt");
    const std::string refs = kRefs;
    PlantReference(refs, "", "C:\\QmNowhere\\Default.txt");
    PlantReference(refs, "Missing", "c:\\qmnowhere\\missing.txt");
    PlantReference(refs, "Quoted", "\"c:\\qmnowhere\\app.exe\" /min");
    PlantReference(refs, "Present", present);
    PlantReference(refs, "Absent Drive", "q:\\qmnowhere\\missing.txt");
    PlantReference(refs, "Not A Path", "hello world");
    PlantReference(refs, "Expandable", "c:\\qmnowhere\\expand.txt", REG_EXPAND_SZ);
    const DWORD number = 1;
    SetData(HKEY_CURRENT_USER, refs, "Number", REG_DWORD, &number, sizeof(number));
    SetData(HKEY_CURRENT_USER, refs, "Binary", REG_BINARY, "c:\\qmnowhere\\bin.txt", 21);
    const ULONGLONG big = 2;
    SetData(HKEY_CURRENT_USER, refs, "Quad", REG_QWORD, &big, sizeof(big));
    // A key that names "VirtualStore" is judged but not entered.
    PlantReference(refs + "\\QmVirtualStore", "Stored", "c:\\qmnowhere\\stored.txt");
    PlantReference(refs + "\\QmVirtualStore\\Inner", "Stored", "c:\\qmnowhere\\stored.txt");
    PlantReference(refs + "\\Aaa", "Before", "c:\\qmnowhere\\before.txt");
    // A key of this name holds the 32-bit view of a 64-bit Windows: there it
    // ends its level, for either build. A 32-bit program there cannot make
    // one (its view is redirected into it); on a 32-bit Windows it is a key
    // like any other.
    if (!TestEnv::IsWow64())
    {
        PlantReference(refs + "\\Wow6432Node\\Inner", "Within", "c:\\qmnowhere\\within.txt");
        PlantReference(refs + "\\Zzz", "After", "c:\\qmnowhere\\after.txt");
    }
    PlantReference(refs + "\\Locked", "Missing", "c:\\qmnowhere\\missing.txt");
    DenyWrite(HKEY_CURRENT_USER, refs + "\\Locked");

    const std::string text = UserKeyText(kRefs);
    std::vector<std::string> expected = {
        ValueFinding(text, "(Default)"),
        ValueFinding(text, "Missing"),
        ValueFinding(text, "Quoted"),
        ValueFinding(text + "\\QmVirtualStore", "Stored"),
        ValueFinding(text + "\\Aaa", "Before"),
    };
    if (!TestEnv::Is64BitWindows())
    {
        expected.push_back(ValueFinding(text + "\\Wow6432Node\\Inner", "Within"));
        expected.push_back(ValueFinding(text + "\\Zzz", "After"));
    }
    EXPECT_EQ(RunScan(kScanFilePaths), FindingsOf(kScanFilePaths, expected));
}

TEST_F(TreeWalkScan, DeepTreesAreWalkedToTheStackDepthOnly)
{
    // Level by level: the registry refuses long paths in one call.
    std::vector<CRegKey> levels(1);
    ASSERT_EQ(levels[0].Create(HKEY_CURRENT_USER, "Software\\QmDeep", KEY_ALL_ACCESS), ERROR_SUCCESS);
    // HKEY_USERS\<user> is level 1, Software 2, QmDeep 3; key "D<n>" is level n.
    std::string text = UserKeyText("Software\\QmDeep");
    for (int depth = 4; depth <= 104; ++depth)
    {
        const std::string name = "D" + std::to_string(depth);
        CRegKey child;
        ASSERT_EQ(child.Create(levels.back().Get(), name.c_str(), KEY_ALL_ACCESS), ERROR_SUCCESS) << depth;
        if (depth >= 99 && depth <= 102)
        {
            ASSERT_EQ(child.SetString("File", "c:\\qmnowhere\\deep.txt"), ERROR_SUCCESS);
        }
        levels.push_back(std::move(child));
        if (depth <= 100)
            text += "\\" + name;
    }
    const std::string at100 = text;
    const std::string at99 = at100.substr(0, at100.rfind('\\'));
    EXPECT_EQ(RunScan(kScanFilePaths),
              FindingsOf(kScanFilePaths, {ValueFinding(at99, "File"), ValueFinding(at100, "File")}));

    for (size_t i = levels.size() - 1; i > 0; --i)
        ::RegDeleteKeyA(levels[i - 1].Get(), ("D" + std::to_string(i + 3)).c_str());
    levels.clear();
    EXPECT_TRUE(TestEnv::DeleteTree(HKEY_CURRENT_USER, "Software\\QmDeep"));
}

TEST_F(TreeWalkScan, CancelEndsTheWalkWithinOneValue)
{
    RemoveLater(HKEY_CURRENT_USER, kRefs);
    for (int i = 0; i < 5; ++i)
        PlantReference(kRefs, "Missing" + std::to_string(i), "c:\\qmnowhere\\missing.txt");
    ScanProbe probe;
    RecordingStatus status;
    status.onCall = [&](const RecordingStatus::Call& call) {
        if (call.op == "found")
            probe.Stop(1);
    };
    EXPECT_EQ(RunScan(probe, kScanFilePaths | kScanEmptyKeys, status).size(), 1u);
    EXPECT_EQ(status.Result(), 0);
}

TEST_F(TreeWalkScan, TypeLibraryHelpFoldersThatHoldNothing)
{
    const char kEmpty[] = "{0a1b2c3d-0000-4000-8000-00000000e001}";
    const char kLower[] = "{0a1b2c3d-0000-4000-8000-00000000e002}";
    const char kNative[] = "{0a1b2c3d-0000-4000-8000-00000000e003}";
    PlantHelpDir(kEmpty, "HELPDIR", "");
    PlantHelpDir(kLower, "helpdir", "");
    PlantHelpDir("{0a1b2c3d-0000-4000-8000-00000000e004}", "HELPDIR", "C:\\QmHelp");
    PlantHelpDir("{0a1b2c3d-0000-4000-8000-00000000e005}", "HELPDIR", "");
    CreateKey(HKEY_LOCAL_MACHINE, std::string(kLibraries) + "{0a1b2c3d-0000-4000-8000-00000000e005}\\1.0\\HELPDIR\\x");
    PlantHelpDir("{0a1b2c3d-0000-4000-8000-00000000e006}", "HELPDIRS", "");
    PlantHelpDir("{0a1b2c3d-0000-4000-8000-00000000e007}", "HELPDIR", "");
    DenyWrite(HKEY_LOCAL_MACHINE, std::string(kLibraries) + "{0a1b2c3d-0000-4000-8000-00000000e007}\\1.0\\HELPDIR");
    // Both views of a 64-bit Windows share the type libraries.
    PlantHelpDir(kNative, "HELPDIR", "", TestEnv::OtherView());

    const std::string typeLib = "HKEY_CLASSES_ROOT\\TYPELIB\\";
    EXPECT_EQ(RunScan(kScanEmptyKeys),
              FindingsOf(kScanEmptyKeys, {typeLib + kEmpty + "\\1.0\\HELPDIR", typeLib + kLower + "\\1.0\\helpdir",
                                          typeLib + kNative + "\\1.0\\HELPDIR"}));
}
