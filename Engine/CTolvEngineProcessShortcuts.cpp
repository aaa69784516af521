// Shortcut scan (broken ".lnk" files) and the junk-file measures beside it:
// temporary files, the recycle bin and sound-event labels.
#include "Engine/CTolvEngineProcess.h"

#include <shellapi.h>
#include <shlwapi.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "Client/Shell/CAbstractStatus.h"
#include "Engine/FileLookup.h"
#include "Engine/FileTests.h"
#include "Engine/RegistryValueList.h"
#include "Engine/ScanCategory.h"
#include "Framework/AnsiText.h"
#include "Framework/CFindHandle.h"
#include "Framework/CRegKey.h"

namespace
{
const int kShortcutStatusThreshold = 3001;
// Above this the running junk total follows every file until the status
// counter starts over.
const int kJunkTotalThreshold = 501;
const DWORD kLargestShortcut = 4096;
const char kEventLabelsKey[] = "AppEvents\\EventLabels";


bool IsShortcutName(const char* name)
{
    const char* dot = std::strrchr(name, '.');
    return dot && dot != name && ::lstrcmpiA(dot, ".lnk") == 0;
}

bool IsDotEntry(const char* name)
{
    return std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0;
}

// A running size total in kilobytes as the junk reports show it.
std::string FormatJunkTotal(double totalKB)
{
    if (totalKB > 1048576.0)
        return AnsiText::Format("%.2fGB", totalKB / 1048576.0);
    if (totalKB > 1024.0)
        return AnsiText::Format("%.0fMB", totalKB / 1024.0);
    return AnsiText::Format("%.0fKB", totalKB);
}

bool Contains(const std::string& text, const char* part)
{
    return text.find(part) != std::string::npos;
}
}

int CTolvEngineProcess::ScanFolderForShortcuts(const std::string& folder, int mode)
{
    int result = 1;
    WIN32_FIND_DATAA entry;
    CFindHandle search(::FindFirstFileA((folder + "\\*.*").c_str(), &entry));
    if (!search.IsValid())
        return result;
    do
    {
        if (!m_bRunning)
            break;
        if (IsDotEntry(entry.cFileName))
            continue;
        const std::string path = folder + "\\" + entry.cFileName;
        // Junctions and symbolic links lead into folders walked elsewhere,
        // or back into their own parents.
        if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
            !(entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
            result = ScanFolderForShortcuts(path, mode);
        if (mode == 1)
        {
            ShowThrottledStatus(path, "C", kShortcutStatusThreshold);
            if (IsShortcutName(entry.cFileName) && entry.nFileSizeHigh == 0 && entry.nFileSizeLow >= 1 &&
                entry.nFileSizeLow <= kLargestShortcut && IsShortcutBroken(path) && CanOpenFileReadWrite(path))
                m_pStatus->OnItemFound(path.c_str(), kScanShortcuts, 0, 0);
        }
        else if (mode == 0)
        {
            ShowThrottledStatus(path, "TPF", kShortcutStatusThreshold);
            ReportJunkFile(path, entry);
        }
    } while (::FindNextFileA(search.Get(), &entry));
    return result;
}

void CTolvEngineProcess::ReportJunkFile(const std::string& path, const WIN32_FIND_DATAA& entry)
{
    if (!CanOpenFileReadWrite(path))
        return;
    m_pStatus->OnItemFound(path.c_str(), kScanTempFiles, 0, 0);
    const double bytes = static_cast<double>(entry.nFileSizeHigh) * 4294967296.0 + entry.nFileSizeLow;
    m_dTempFilesKB += bytes / 1024.0;
    if (m_nStatusThrottle > kJunkTotalThreshold)
        m_pStatus->OnItemFound(FormatJunkTotal(m_dTempFilesKB + m_dRecycleBinKB).c_str(), kScanTempFiles, -1, 0);
}

int CTolvEngineProcess::IsShortcutBroken(const std::string& path)
{
    // Whatever cannot be judged is not broken: the repair would delete it.
    if (!m_pShellLink || !m_bRunning)
        return 0;
    CComPtr<IPersistFile> file;
    if (FAILED(m_pShellLink.QueryInterface(IID_IPersistFile, file)))
        return 0;
    WCHAR widePath[MAX_PATH];
    if (!::MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, widePath, MAX_PATH))
        return 0;
    if (FAILED(file->Load(widePath, STGM_READ)))
        return 0;

    static const char kUnread[] = "NoNe";
    char target[MAX_PATH];
    lstrcpynA(target, kUnread, MAX_PATH);
    if (FAILED(m_pShellLink->GetPath(target, MAX_PATH, nullptr, SLGP_UNCPRIORITY)) ||
        std::strcmp(target, kUnread) == 0)
        return 0;
    // A link to a virtual item (no file-system target) is never broken.
    if (target[0] == '\0')
        return 0;
    if (::PathFileExistsA(target))
        return 0;
    if (!IsMissingFileError(::GetLastError()) || IsPathUnjudged(*this, target))
        return 0;
    return FileExistsSecondChanceNative(*this, target) ? 0 : 1;
}

int CTolvEngineProcess::CanOpenFileReadWrite(const std::string& path)
{
    FILE* file = std::fopen(path.c_str(), "r+");
    if (!file)
        return 0;
    std::fclose(file);
    return 1;
}

void CTolvEngineProcess::ReportRecycleBinSize()
{
    SHQUERYRBINFO info = {};
    info.cbSize = sizeof(info);
    if (FAILED(::SHQueryRecycleBinA(nullptr, &info)) || info.i64NumItems == 0)
        return;
    m_dRecycleBinKB = static_cast<double>(info.i64Size) / 1024.0;
    m_pStatus->OnItemFound(FormatJunkTotal(m_dRecycleBinKB + m_dTempFilesKB).c_str(), kScanRecycleBin, -1, 0);
}

void CTolvEngineProcess::ScanEventLabelFiles()
{
    CRegKey labels;
    if (labels.Open(HKEY_CURRENT_USER, kEventLabelsKey, KEY_READ) != ERROR_SUCCESS)
        return;
    ForEachSubkeyName(labels.Get(), m_bRunning, [this](const std::string& name) {
        const std::string labelKey = std::string(kEventLabelsKey) + "\\" + name;
        CRegKey label;
        if (label.Open(HKEY_CURRENT_USER, labelKey.c_str(), KEY_READ) != ERROR_SUCCESS)
            return true;
        ForEachRegistryValue(label.Get(), m_bRunning, [&](const RegistryValueData& value) {
            // A display name taken from a resource: "@library,-id".
            std::string text = AnsiText::Trimmed(AnsiText::ToLower(value.Text()), "\"");
            if (AnsiText::ToLower(value.name) == "dispfilename" && Contains(text, "@") && Contains(text, ".") &&
                Contains(text, ","))
            {
                text.erase(text.find(','));
                text.erase(std::remove(text.begin(), text.end(), '@'), text.end());
                if (!LocateReferencedFile(text, *this) && !FileExistsSecondChance(*this, text))
                    ReportIfWritable("HKEY_CURRENT_USER", labelKey, "HKEY_CURRENT_USER\\" + labelKey,
                                     kScanSoundEvents);
            }
            ShowThrottledStatus(labelKey, "SAE", kShortcutStatusThreshold);
            return true;
        });
        return true;
    });
}
