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
    try
    {
        for (size_t i = 0; i < kScannedCategoryCount; ++i)
        {
            const ScanCategoryInfo& category = kScanCategories[i];
            m_nStatusThrottle = kStatusThrottleStart;
            m_pStatus->SetStatusText("", category.letter);
            if (!(m_dwCategoryMask & category.bit) || !m_bRunning)
                continue;
            switch (category.bit)
            {
            case kScanActiveX:
                ScanActiveX();
                ScanInterfaceTypeLibs();
                break;
            case kScanUninstall:
                ScanUninstall("Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall");
                ScanInstallerFolders();
                break;
            case kScanFonts:
                ScanFonts();
                break;
            case kScanSharedDlls:
                ScanSharedDlls();
                break;
            case kScanAppPaths:
                ScanAppPaths();
                break;
            case kScanHelpFiles:
                ScanHelpFiles();
                break;
            case kScanStartup:
                ScanStartup();
                break;
            case kScanFilePaths:
                ScanUserHives();
                break;
            case kScanShortcuts:
                // Only the drives ("C:") of the folder set are walked.
                for (const std::string& folder : m_folders)
                {
                    if (!m_bRunning)
                        break;
                    if (folder.size() == 2)
                        ScanFolderForShortcuts(folder, 1);
                }
                break;
            case kScanEmptyKeys:
                ScanTypeLibHelpDirs();
                break;
            case kScanFileTypes:
                ScanFileTypes();
                break;
            case kScanServices:
                ScanServices();
                break;
            }
        }
    }
    catch (...)
    {
        // A scanner's failure ends the scan quietly.
    }
    return 0;
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
