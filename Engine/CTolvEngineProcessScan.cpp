// The scan job: every category in its fixed order.
#include "Engine/CTolvEngineProcess.h"

#include <algorithm>
#include <iterator>

#include "Client/Shell/CAbstractStatus.h"
#include "Engine/ScanCategory.h"

int CTolvEngineProcess::ScanAll()
{
    m_dRecycleBinKB = 0.0;
    m_dTempFilesKB = 0.0;
    // A drive may have come or gone since the last scan.
    std::fill(std::begin(m_driveTypes), std::end(m_driveTypes), 0u);
    DWORD incomplete = 0;
    for (size_t i = 0; i < kScannedCategoryCount; ++i)
    {
        const ScanCategoryInfo& category = kScanCategories[i];
        m_nStatusThrottle = kStatusThrottleStart;
        m_pStatus->SetStatusText("", category.letter);
        if (!(m_dwCategoryMask & category.bit) || !m_bRunning)
            continue;
        if (!RunCategoryScanners(category.bit))
            incomplete |= category.bit;
    }
    if (!incomplete)
        return kScanComplete;
    m_pStatus->SetStatusText(ScanIncompleteText(incomplete).c_str(), "Scanning");
    return kScanIncomplete;
}

bool CTolvEngineProcess::RunCategoryScanners(DWORD bit)
{
    // The one place where a scanner's failure is caught: what it found so
    // far stands, its category is named as not checked to the end, and the
    // scan goes on with the next scanner.
    bool complete = true;
    const auto guarded = [&complete](const auto& scanner) {
        try
        {
            scanner();
        }
        catch (...)
        {
            complete = false;
        }
    };
    switch (bit)
    {
    case kScanActiveX:
        guarded([this] { ScanActiveX(); });
        guarded([this] { ScanInterfaceTypeLibs(); });
        break;
    case kScanUninstall:
        guarded([this] { ScanUninstall("Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall"); });
        guarded([this] { ScanInstallerFolders(); });
        break;
    case kScanFonts:
        guarded([this] { ScanFonts(); });
        break;
    case kScanSharedDlls:
        guarded([this] { ScanSharedDlls(); });
        break;
    case kScanAppPaths:
        guarded([this] { ScanAppPaths(); });
        break;
    case kScanHelpFiles:
        guarded([this] { ScanHelpFiles(); });
        break;
    case kScanStartup:
        guarded([this] { ScanStartup(); });
        break;
    case kScanFilePaths:
        guarded([this] { ScanUserHives(); });
        break;
    case kScanShortcuts:
        // Only the drives ("C:") of the folder set are walked.
        for (const std::string& folder : m_folders)
        {
            if (!m_bRunning)
                break;
            if (folder.size() == 2)
                guarded([this, &folder] { ScanFolderForShortcuts(folder, 1); });
        }
        break;
    case kScanEmptyKeys:
        guarded([this] { ScanTypeLibHelpDirs(); });
        break;
    case kScanFileTypes:
        guarded([this] { ScanFileTypes(); });
        break;
    case kScanServices:
        guarded([this] { ScanServices(); });
        break;
    }
    return complete;
}

std::string CTolvEngineProcess::ScanIncompleteText(DWORD incomplete)
{
    std::string names;
    for (size_t i = 0; i < kScannedCategoryCount; ++i)
    {
        if (!(incomplete & kScanCategories[i].bit))
            continue;
        if (!names.empty())
            names += ", ";
        names += kScanCategories[i].caption;
    }
    return "Scan incomplete: " + names + " could not be checked to the end.";
}

void CTolvEngineProcess::ShowThrottledStatus(const std::string& text, const char* letter, int threshold)
{
    if (m_nStatusThrottle > threshold)
    {
        m_pStatus->SetStatusText(text.c_str(), letter);
        m_nStatusThrottle = 0;
    }
    ++m_nStatusThrottle;
}

UINT CTolvEngineProcess::DriveTypeOf(char letter) const
{
    const char upper = static_cast<char>(letter & ~0x20);
    if (upper < 'A' || upper > 'Z')
        return DRIVE_NO_ROOT_DIR;
    UINT& known = m_driveTypes[upper - 'A'];
    if (known == 0)
    {
        const char root[] = {upper, ':', '\\', '\0'};
        known = ::GetDriveTypeA(root) + 1;
    }
    return known - 1;
}
