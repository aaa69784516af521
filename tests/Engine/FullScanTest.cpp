// A scan of every category of a fresh prefix: each finding is checked on its
// own, without the engine's file tests, to name something really gone.
#include "ScanFixture.h"

#include <shlobj.h>

#include <cstdio>

#include "Framework/AnsiText.h"
#include "Framework/CComPtr.h"
#include "Framework/CRegKey.h"
#include "support/TestRegistry.h"

namespace
{
const DWORD kAllCategories = 0xFFFFFFFF;

struct ParsedFinding
{
    HKEY root = NULL;
    std::string key;
    std::string value;
    bool isValue = false;
};

ParsedFinding Parse(const std::string& text)
{
    ParsedFinding parsed;
    const size_t slash = text.find('\\');
    const std::string rootName = text.substr(0, slash);
    const std::pair<const char*, HKEY> roots[] = {{"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT},
                                                  {"HKEY_CURRENT_USER", HKEY_CURRENT_USER},
                                                  {"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},
                                                  {"HKEY_USERS", HKEY_USERS}};
    for (const auto& root : roots)
        if (rootName == root.first)
            parsed.root = root.second;
    std::string rest = slash == std::string::npos ? std::string() : text.substr(slash + 1);
    const size_t separator = rest.find('\xAC');
    parsed.isValue = separator != std::string::npos;
    parsed.key = rest.substr(0, separator);
    if (parsed.isValue)
        parsed.value = rest.substr(separator + 1);
    return parsed;
}

std::string ReadString(HKEY root, const std::string& key, const std::string& name, REGSAM view = 0)
{
    CRegKey k;
    std::string text;
    if (k.Open(root, key.c_str(), KEY_READ | view) == ERROR_SUCCESS)
        k.QueryString(name == "(Default)" ? "" : name.c_str(), text);
    return text;
}

bool Exists(const std::string& path)
{
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Whether a command or path names no existing file under any of the names
// Windows would find it by: as written, expanded, in the Windows or system
// folder, and in either system folder of a 64-bit Windows.
bool NamesMissingFile(std::string text)
{
    char expanded[4096] = {};
    ::ExpandEnvironmentStringsA(text.c_str(), expanded, sizeof(expanded));
    text = AnsiText::ToLower(expanded);
    if (text.rfind("\\systemroot\\", 0) == 0)
        text = AnsiText::ToLower(WindowsFolder()) + text.substr(12);
    if (!text.empty() && text[0] == '"')
        text = text.substr(1, text.find('"', 1) - 1);
    for (const char* extension : {".exe", ".dll", ".ocx", ".ttf", ".fon"})
    {
        const size_t at = text.find(extension);
        if (at != std::string::npos)
            text.resize(at + 4);
    }
    std::vector<std::string> candidates = {text, AnsiText::ToLower(WindowsFolder()) + text,
                                           AnsiText::ToLower(SystemFolder()) + text};
    for (size_t i = 0, n = candidates.size(); i < n; ++i)
    {
        std::string other = candidates[i];
        if (AnsiText::ReplaceAll(other, "system32", "syswow64") || AnsiText::ReplaceAll(other, "syswow64", "system32"))
            candidates.push_back(other);
    }
    PVOID old = nullptr;
    const bool off = TestEnv::IsWow64() && ::Wow64DisableWow64FsRedirection(&old);
    bool found = false;
    for (const std::string& candidate : candidates)
        found = found || Exists(candidate);
    if (off)
        ::Wow64RevertWow64FsRedirection(old);
    return !found;
}

bool IsClassRegistered(const std::string& clsid)
{
    // In the program's own view, or in the other view of a 64-bit Windows.
    CRegKey other;
    return TestEnv::KeyExists(HKEY_CLASSES_ROOT, "CLSID\\" + clsid) ||
           other.Open(HKEY_CLASSES_ROOT, ("CLSID\\" + clsid).c_str(), KEY_READ | TestEnv::OtherView()) ==
               ERROR_SUCCESS;
}

bool IsKeyEmpty(HKEY root, const std::string& key)
{
    CRegKey k;
    DWORD subkeys = 1;
    DWORD longestData = 3;
    return k.Open(root, key.c_str(), KEY_READ) == ERROR_SUCCESS &&
           ::RegQueryInfoKeyA(k.Get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr, nullptr,
                              &longestData, nullptr, nullptr) == ERROR_SUCCESS &&
           subkeys == 0 && longestData < 3;
}

std::string ShortcutTarget(const std::string& path)
{
    CComPtr<IShellLinkA> link;
    ::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, link.ReceiveVoid());
    CComPtr<IPersistFile> file;
    WCHAR wide[MAX_PATH];
    ::MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH);
    char target[MAX_PATH] = {};
    if (link && SUCCEEDED(link.QueryInterface(IID_IPersistFile, file)) && SUCCEEDED(file->Load(wide, STGM_READ)))
        link->GetPath(target, MAX_PATH, nullptr, 0);
    return target;
}

// Checks one finding by what its category means; a text for the failure.
std::string WhyNotInvalid(const Finding& finding)
{
    const ParsedFinding item = Parse(finding.text);
    const std::string base = item.key.substr(item.key.rfind('\\') + 1);
    switch (finding.bit)
    {
    case kScanFonts:
    {
        const std::string file = ReadString(item.root, item.key, item.value);
        return NamesMissingFile(file) && NamesMissingFile(WindowsFolder() + "Fonts\\" + file) ? "" : "font present";
    }
    case kScanSharedDlls:
        return NamesMissingFile(item.value) ? "" : "library present";
    case kScanServices:
        return NamesMissingFile(ReadString(item.root, item.key, "ImagePath")) ? "" : "service program present";
    case kScanAppPaths:
        return NamesMissingFile(ReadString(item.root, item.key, "")) ? "" : "application present";
    case kScanUninstall:
        if (item.isValue)
            return NamesMissingFile(item.value) ? "" : "folder present";
        return NamesMissingFile(ReadString(item.root, item.key, "UninstallString")) ? "" : "uninstaller present";
    case kScanHelpFiles:
        if (item.isValue)
            return NamesMissingFile(ReadString(item.root, item.key, item.value) + "\\" + item.value) ? ""
                                                                                                      : "help present";
        return NamesMissingFile(ReadString(item.root, item.key + "\\InprocServer32", "")) ? "" : "server present";
    case kScanStartup:
    case kScanFilePaths:
        return !item.isValue || NamesMissingFile(ReadString(item.root, item.key, item.value)) ? "" : "file present";
    case kScanShortcuts:
        return NamesMissingFile(ShortcutTarget(finding.text)) ? "" : "shortcut target present";
    case kScanEmptyKeys:
        return IsKeyEmpty(item.root, item.key) ? "" : "key not empty";
    case kScanFileTypes:
    {
        if (IsKeyEmpty(item.root, item.key))
            return "";
        const std::string progId = ReadString(item.root, item.key, "");
        return NamesMissingFile(ReadString(HKEY_CLASSES_ROOT, progId + "\\shell\\open\\command", "")) ? ""
                                                                                                       : "program present";
    }
    case kScanActiveX:
        if (item.key.rfind("CLSID\\", 0) == 0)
            return NamesMissingFile(ReadString(item.root, item.key + "\\InprocServer32", "")) ? "" : "server present";
        if (item.key.rfind("Interface\\", 0) == 0)
            return TestEnv::KeyExists(HKEY_CLASSES_ROOT,
                                      "TypeLib\\" + ReadString(item.root, item.key + "\\TypeLib", ""))
                       ? "type library registered"
                       : "";
        return IsClassRegistered(ReadString(item.root, item.key + "\\CLSID", "")) ? "class registered" : "";
    default:
        return "unexpected category";
    }
}
}

TEST(FullScan, EveryFindingOfAFreshPrefixNamesSomethingGone)
{
    ScanProbe probe;
    RecordingStatus status;
    const DWORD start = ::GetTickCount();
    const std::set<Finding> findings = RunScan(probe, kAllCategories, status);
    const DWORD elapsed = ::GetTickCount() - start;
    std::printf("full scan of a fresh %s prefix: %u findings in %lu ms\n", TestEnv::Configuration(),
                static_cast<unsigned>(findings.size()), static_cast<unsigned long>(elapsed));

    for (const Finding& finding : findings)
    {
        std::printf("  %s\n", testing::PrintToString(finding).c_str());
        EXPECT_EQ(WhyNotInvalid(finding), "") << testing::PrintToString(finding);
    }
    EXPECT_EQ(status.StatusCodes(),
              (std::vector<std::string>{"X", "U", "N", "D", "A", "H", "S", "R", "C", "E", "F", "V", "Scanning"}));
    // What a fresh Wine prefix lists but does not install.
    const std::string fonts = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts\xAC";
    for (const char* font : {"Courier", "MS Sans Serif", "MS Serif", "Small Fonts"})
        EXPECT_EQ(findings.count({fonts + font, kScanFonts}), 1u) << font;
    EXPECT_EQ(findings.count({"HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\FontCache3.0.0.0",
                              kScanServices}),
              1u);
}
