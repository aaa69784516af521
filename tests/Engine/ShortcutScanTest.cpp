// Broken shortcuts on the system drive, and the junk measures beside them.
#include "ScanFixture.h"

#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>

#include "Framework/CComPtr.h"
#include "support/TestRegistry.h"

namespace
{
typedef char*(CDECL* PFN_UNIX_FILE_NAME)(LPCWSTR);

// Where Wine keeps a Windows path on the host.
std::string HostPath(const std::string& path)
{
    const PFN_UNIX_FILE_NAME unixName = reinterpret_cast<PFN_UNIX_FILE_NAME>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("kernel32"), "wine_get_unix_file_name")));
    WCHAR wide[MAX_PATH];
    if (!unixName || !::MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH))
        return std::string();
    char* host = unixName(wide);
    const std::string result = host ? host : "";
    ::HeapFree(::GetProcessHeap(), 0, host);
    return result;
}

bool IsHostLink(const std::string& path)
{
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

// A symbolic link made on the host, as Wine shows user folders linked into a home.
bool MakeHostFolderLink(const std::string& link, const std::string& target)
{
    TestEnv::ProcessStart start;
    start.program = "Z:\\bin\\ln";
    start.commandLine = "ln -s " + HostPath(target) + " " + HostPath(link);
    if (!TestEnv::StartProcess(start))
        return false;
    // Wine gives no handle of a Unix process to wait on: the link's arrival
    // is the end that counts.
    const DWORD begun = ::GetTickCount();
    while (!IsHostLink(link) && ::GetTickCount() - begun < 10000)
        ::Sleep(50);
    return IsHostLink(link);
}

class ShortcutScan : public PlantedEntries
{
protected:
    // Saves a shortcut to target (a path, or the item list when given).
    std::string PlantShortcut(const std::string& path, const std::string& target, LPCITEMIDLIST items = nullptr)
    {
        CComPtr<IShellLinkA> link;
        EXPECT_TRUE(SUCCEEDED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                                 link.ReceiveVoid())));
        if (!link)
            return path;
        if (items)
            link->SetIDList(items);
        else
            link->SetPath(target.c_str());
        CComPtr<IPersistFile> file;
        EXPECT_TRUE(SUCCEEDED(link.QueryInterface(IID_IPersistFile, file)));
        WCHAR wide[MAX_PATH];
        ::MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH);
        EXPECT_TRUE(file && SUCCEEDED(file->Save(wide, TRUE))) << path;
        m_links.push_back(path);
        return path;
    }
    void TearDown() override
    {
        for (const std::string& link : m_links)
        {
            ::SetFileAttributesA(link.c_str(), FILE_ATTRIBUTE_NORMAL);
            ::DeleteFileA(link.c_str());
        }
        PlantedEntries::TearDown();
    }

    std::vector<std::string> m_links;
};
}

TEST_F(ShortcutScan, ReportsBrokenSmallWritableLinksOnTheSystemDrive)
{
    const std::string folder = Scratch();
    const std::string target = PlantFile(folder + "target.exe");
    ASSERT_TRUE(WriteNativeSystemFile("qmnativelink.exe"));

    const std::string broken = PlantShortcut(folder + "Broken.lnk", "c:\\qmnowhere\\gone.exe");
    const std::string upper = PlantShortcut(folder + "UPPER.LNK", "c:\\qmnowhere\\gone.exe");
    PlantShortcut(folder + "Good.lnk", target);
    PlantShortcut(folder + ".lnk", "c:\\qmnowhere\\gone.exe");
    PlantShortcut(folder + "Absent Drive.lnk", "q:\\qmnowhere\\gone.exe");
    const std::string native = PlantShortcut(folder + "Native.lnk", "c:\\windows\\syswow64\\qmnativelink.exe");
    // A large file is no shortcut, whatever its name.
    const std::string big = PlantShortcut(folder + "Big.lnk", "c:\\qmnowhere\\gone.exe");
    {
        FILE* file = std::fopen(big.c_str(), "ab");
        ASSERT_NE(file, nullptr);
        const std::string padding(5000, '\0');
        std::fwrite(padding.data(), 1, padding.size(), file);
        std::fclose(file);
    }
    // A link that cannot be loaded cannot be judged.
    PlantFile(folder + "Garbage.lnk", "this is not a shell link");
    m_links.push_back(folder + "Garbage.lnk");
    LPITEMIDLIST computer = nullptr;
    ASSERT_TRUE(SUCCEEDED(::SHGetSpecialFolderLocation(NULL, CSIDL_DRIVES, &computer)));
    PlantShortcut(folder + "Computer.lnk", "", computer);
    ::CoTaskMemFree(computer);
    // A folder named like a shortcut is walked, never reported.
    ::CreateDirectoryA((folder + "Folder.lnk").c_str(), nullptr);
    const std::string inner = PlantShortcut(folder + "Folder.lnk\\Inner.lnk", "c:\\qmnowhere\\gone.exe");
    // A link back to the folder's parent would walk for ever.
    ASSERT_TRUE(MakeHostFolderLink(folder + "Loop", folder));

    // A link to a syswow64 path whose file is in system32 is whole on a
    // 64-bit Windows, for either build.
    std::vector<std::string> expected = {broken, upper, inner};
    if (!TestEnv::Is64BitWindows())
        expected.push_back(native);
    EXPECT_EQ(RunScan(kScanShortcuts, {"C:", folder.substr(0, folder.size() - 1)}),
              FindingsOf(kScanShortcuts, expected));

    // Without the shell-link object nothing is judged broken.
    ScanProbe withoutLinks;
    withoutLinks.DropShellLink();
    RecordingStatus status;
    EXPECT_TRUE(RunScan(withoutLinks, kScanShortcuts, status).empty());

    // Nor while the job is being cancelled.
    ScanProbe probe;
    probe.RunOnThisThread(&status);
    EXPECT_EQ(probe.IsBroken(broken), 1);
    probe.StopRunning();
    EXPECT_EQ(probe.IsBroken(broken), 0);
    ::RemoveDirectoryA((folder + "Loop").c_str());
    ::DeleteFileA((folder + "Loop").c_str());
    RemoveSystemFiles("qmnativelink.exe");
}

TEST_F(ShortcutScan, JunkFilesRecycleBinAndEventLabels)
{
    const std::string folder = Scratch();
    PlantFile(folder + "a.tmp", std::string(3000, 'x'));
    PlantFile(folder + "b.tmp", "");
    ScanProbe probe;
    RecordingStatus status;
    // Past 501 the running total follows each file.
    probe.RunOnThisThread(&status, 1000);
    probe.RecycleBinKB() = 2045.57;
    probe.ScanFolder(folder.substr(0, folder.size() - 1), 0);
    std::vector<std::string> files;
    std::vector<std::string> totals;
    for (const RecordingStatus::Call& call : status.Calls())
        if (call.op == "found" && call.value == kScanTempFiles)
            (call.first == -1 ? totals : files).push_back(call.text);
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files, (std::vector<std::string>{folder + "a.tmp", folder + "b.tmp"}));
    ASSERT_EQ(totals.size(), 2u);
    EXPECT_EQ(totals.back(), "2MB");
    EXPECT_NEAR(probe.TempFilesKB(), 3000 / 1024.0, 1e-9);

    // The recycle bin reports its size once it holds something.
    status.Reset();
    probe.RecycleBinKB() = 0;
    probe.RecycleBinSize();
    EXPECT_TRUE(status.Findings().empty());
    const std::string deleted = folder + "deleted.txt";
    ASSERT_TRUE(TestEnv::WriteFile(deleted, std::string(4096, 'x')));
    std::string from = deleted + '\0';
    SHFILEOPSTRUCTA operation = {};
    operation.wFunc = FO_DELETE;
    operation.pFrom = from.c_str();
    operation.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
    ASSERT_EQ(::SHFileOperationA(&operation), 0);
    probe.RecycleBinSize();
    const std::vector<RecordingStatus::Call> calls = status.Calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].value, kScanRecycleBin);
    EXPECT_EQ(calls[0].first, -1);
    EXPECT_EQ(calls[0].text, "7KB");

    // Sound-event labels taken from a library that is gone.
    const std::string labels = "AppEvents\\EventLabels\\";
    SetString(HKEY_CURRENT_USER, labels + "QmGone", "DispFileName", "@C:\\QmNowhere\\Sounds.dll,-100");
    SetString(HKEY_CURRENT_USER, labels + "QmHere", "DispFileName", "@shell32.dll,-100");
    SetString(HKEY_CURRENT_USER, labels + "QmPlain", "DispFileName", "c:\\qmnowhere\\sounds.dll,-100");
    SetString(HKEY_CURRENT_USER, labels + "QmOther", "Caption", "@c:\\qmnowhere\\sounds.dll,-100");
    for (const char* name : {"QmGone", "QmHere", "QmPlain", "QmOther"})
        RemoveLater(HKEY_CURRENT_USER, labels + name);
    status.Reset();
    probe.EventLabels();
    std::vector<Finding> events;
    for (const RecordingStatus::Call& call : status.Calls())
        if (call.op == "found")
            events.push_back({call.text, static_cast<DWORD>(call.value)});
    EXPECT_EQ(events, (std::vector<Finding>{{"HKEY_CURRENT_USER\\AppEvents\\EventLabels\\QmGone", kScanSoundEvents}}));
}
