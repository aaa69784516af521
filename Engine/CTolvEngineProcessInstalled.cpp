// Font, shared-DLL, installer-folder and uninstall scanners: value lists
// under HKEY_LOCAL_MACHINE that name files or folders.
#include "Engine/CTolvEngineProcess.h"

#include <shlwapi.h>

#include <cerrno>
#include <cstdio>

#include "Client/Shell/CAbstractStatus.h"
#include "Engine/FileLookup.h"
#include "Engine/FileTests.h"
#include "Engine/FoundItemText.h"
#include "Engine/RegistryValueList.h"
#include "Engine/ScanCategory.h"
#include "Framework/AnsiText.h"
#include "Framework/CRegKey.h"

namespace
{
const char kMachineRootName[] = "HKEY_LOCAL_MACHINE";
const char kFontsKey[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";
const char kSharedDllsKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
const char kInstallerFoldersKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer\\Folders";
const char kUninstallValue[] = "UninstallString";
const int kInstalledStatusThreshold = 51;

std::string FontsFolderPath(const std::string& fontFile)
{
    char windows[MAX_PATH] = {};
    ::GetWindowsDirectoryA(windows, MAX_PATH);
    return std::string(windows) + "\\Fonts\\" + fontFile;
}

// Opening for reading fails with "no such file" only when the file is gone;
// any other refusal (access denied) leaves it present.
bool IsMissingForReading(const std::string& path)
{
    errno = 0;
    if (FILE* file = std::fopen(path.c_str(), "r"))
    {
        std::fclose(file);
        return false;
    }
    return errno == ENOENT;
}

std::string WithoutQuotes(const std::string& text)
{
    return AnsiText::Trimmed(text, "\"");
}
}

void CTolvEngineProcess::ScanFonts()
{
    CRegKey key;
    if (key.Open(HKEY_LOCAL_MACHINE, kFontsKey, KEY_READ) != ERROR_SUCCESS)
        return;
    ForEachRegistryValue(key.Get(), m_bRunning, [this](const RegistryValueData& value) {
        const std::string file = value.Text();
        const std::string inFontsFolder = FontsFolderPath(file);
        const bool missing = !FindsFileOrFolder(file) && !FindsFileOrFolder(inFontsFolder) &&
                             IsMissingFileError(::GetLastError()) && !IsPathUnjudged(*this, file) &&
                             !FileExistsSecondChance(*this, file) && !FileExistsSecondChance(*this, inFontsFolder);
        if (missing)
            ReportIfWritable(kMachineRootName, kFontsKey, FoundValueText(kMachineRootName, kFontsKey, value.name),
                             kScanFonts);
        m_pStatus->SetStatusText((std::string(kFontsKey) + "/" + value.name).c_str(), "N");
        return true;
    });
}

void CTolvEngineProcess::ScanSharedDlls()
{
    // The name is the library; the data is only its use count.
    ScanPathValueNames(kSharedDllsKey, kScanSharedDlls, "D", [](const CTolvEngineProcess& job, const std::string& path) {
        return IsMissingForReading(path) && !IsPathUnjudged(job, path) && !FileExistsSecondChance(job, path);
    });
}

void CTolvEngineProcess::ScanInstallerFolders()
{
    ScanPathValueNames(kInstallerFoldersKey, kScanUninstall, "U",
                       [](const CTolvEngineProcess& job, const std::string& path) {
        const BOOL exists = ::PathFileExistsA(path.c_str());
        return !exists && ::GetLastError() != ERROR_ACCESS_DENIED && !IsPathUnjudged(job, path);
    });
}

void CTolvEngineProcess::ScanPathValueNames(const char* keyPath, DWORD category, const char* letter,
                                            bool (*isMissing)(const CTolvEngineProcess&, const std::string&))
{
    CRegKey key;
    if (key.Open(HKEY_LOCAL_MACHINE, keyPath, KEY_READ) != ERROR_SUCCESS)
        return;
    ForEachRegistryValue(key.Get(), m_bRunning, [&](const RegistryValueData& value) {
        // Tested without its quotes, reported as it is written.
        const std::string path = WithoutQuotes(value.name);
        if (isMissing(*this, path))
            ReportIfWritable(kMachineRootName, keyPath, FoundValueText(kMachineRootName, keyPath, value.name),
                             category);
        else
            RememberReferencedPath(path);
        ShowThrottledStatus(std::string(keyPath) + "/" + value.name, letter, kInstalledStatusThreshold);
        return true;
    });
}

void CTolvEngineProcess::ScanUninstall(const std::string& keyPath)
{
    CRegKey uninstall;
    if (keyPath.empty() || uninstall.Open(HKEY_LOCAL_MACHINE, keyPath.c_str(), KEY_READ) != ERROR_SUCCESS)
        return;
    ForEachSubkeyName(uninstall.Get(), m_bRunning, [&](const std::string& name) {
        const std::string entryPath = keyPath + "\\" + name;
        CRegKey entry;
        if (entry.Open(HKEY_LOCAL_MACHINE, entryPath.c_str(), KEY_READ) != ERROR_SUCCESS)
            return false;
        ForEachRegistryValue(entry.Get(), m_bRunning, [&](const RegistryValueData& value) {
            const std::string text = AnsiText::ToLower(value.Text());
            // Uninstallers run through a host program name no file of their own.
            if (text.find("msiexec") != std::string::npos || text.find("rundll32") != std::string::npos)
                return true;
            if (value.name != kUninstallValue)
                return true;
            std::string path = WithoutQuotes(text);
            const size_t extension = FindProgramExtension(path);
            const bool judged = extension != std::string::npos && extension > 0;
            if (judged)
                CutAfterProgramExtension(path);
            if (judged && !LocateReferencedFile(path, *this) && !FileExistsSecondChance(*this, path))
                ReportIfWritable(kMachineRootName, entryPath, FoundKeyText(kMachineRootName, entryPath),
                                 kScanUninstall);
            else
                RememberReferencedPath(path);
            m_pStatus->SetStatusText(entryPath.c_str(), "U");
            return true;
        });
        return true;
    });
}
