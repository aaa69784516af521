#pragma once
#include <windows.h>
#include <shlobj.h>

#include <atomic>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "Engine/CAbstractProcess.h"
#include "Engine/CRegistryDefrag.h"
#include "Engine/CSmartThread.h"
#include "Framework/CComPtr.h"
#include "Framework/CCriticalSection.h"

class CRegistryManager;

// One value of an application registration.
struct AppPathValue
{
    std::string name;
    std::string text;
};

// What one query tells of a key the registry walk enters; known is false
// when the key could not be asked.
struct WalkedKeyCounts
{
    bool known = false;
    DWORD subkeys = 0;
    DWORD values = 0;
    DWORD longestSubkey = 0;
    DWORD longestData = 0;
};

// One Run key of the startup scan.
struct StartupKey
{
    std::string path;
    int flag = 0;
    HKEY root = NULL;
};

// The engine's one job object: runs every scan, repair, backup, restore and
// hive compaction, one at a time, each on a fresh thread of its own.
class CTolvEngineProcess : public CAbstractProcess, public CSmartThread
{
public:
    // scanOption: the first constructor starts with option 0; the second
    // leaves it to the next StartScan.
    CTolvEngineProcess();
    explicit CTolvEngineProcess(int scanOption);
    ~CTolvEngineProcess() override;

    // CAbstractProcess
    int IsBusy() override;
    int Stop(int flag) override;
    BOOL WaitOrRelease(int wait) override;
    BOOL Resume() override;
    BOOL Suspend() override;
    HANDLE GetThreadHandle() override;
    DWORD GetThreadId() override;
    int GetJobType() override;
    int Reserved(int unused) override;
    int StartFullBackup(const char* text, CAbstractStatus* sink) override;
    int StartRestore(const char* backupFile, CAbstractStatus* sink) override;
    int StartScan(const std::set<std::string>& folders, DWORD categoryMask, CAbstractStatus* sink,
                  int scanOption) override;
    int StartRepair(CAbstractScanItemsInfo* items, CAbstractStatus* sink) override;
    int StartDefrag(int replace, CAbstractStatus* sink, int osCode) override;
    int RestoreBackupNow(CAbstractStatus* sink, const char* backupFile) override;

    // CSmartThread
    int Run() override;

    // How long a starter or IsBusy waits for a job thread that has made its
    // final call to end: it only has to return from that call.
    static const DWORD kFinishingThreadWaitMs = 10000;
    // How long the release waits for a stopped job to end. A restore and a
    // hive compaction run to their end after a stop.
    static const DWORD kReleaseWaitMs = 30000;

    // Stops the job and waits (bounded) for its thread to end. True when the
    // object may be freed; false leaves it to a thread that is still running,
    // which then makes no final calls into its sink any more.
    bool PrepareRelease();

    // Read by the shared file tests and path expansion: the folders and
    // registry views of a 64-bit Windows are in play.
    int Is64BitWindows() const { return m_bWow64; }
    // GetDriveTypeA of the drive, asked once per scan: under Wine each call
    // costs a millisecond, and every judged path asks.
    UINT DriveTypeOf(char letter) const;

protected:
    void ProbeEnvironment();
    // Refuses (false) while a job thread has not ended, except one that has
    // made its final call: that one is waited for.
    bool WaitForFinishedJob();
    // Creates the job thread suspended: 1, or -1 when that fails.
    int StartJob();
    int RunJobBody();
    // The result of a job whose body failed: never that of a success.
    int FailedJobResult() const;
    // The result of a job stopped before its first Resume: a cancelled one.
    int CancelledBeforeStartResult() const;
    // The calls that end every job (a compaction's result first), the final
    // one last; returns result.
    int FinishJob(CAbstractStatus* sink, int result);
    bool DisableRedirection();
    void RevertRedirection();
    bool IsRedirectedJob() const;

    // Job bodies.
    // kScanComplete, or kScanIncomplete when a scanner failed part-way.
    int ScanAll();
    int RepairAll();
    int BackupToFile(int full);
    int RestoreBackup();
    int DefragRegistry();

    // Repair, backup and restore helpers.
    enum RepairOutcome
    {
        kItemSkipped,
        kItemRepaired,
        kItemNotRepaired,
    };
    RepairOutcome RepairItem(const std::string& text, DWORD category, CRegistryManager& keys, bool& tempFilesDeleted,
                             bool& binEmptied);
    // Sets m_pRegistryManager under its lock; a manager published after a
    // cancel is cancelled at once.
    void PublishRegistryManager(CRegistryManager* manager);
    // Runs the body with a new manager on the job's sink, published for Stop
    // while it runs; noManager when none can be made, 0 when the body throws.
    int WithRegistryManager(const std::function<int(CRegistryManager&)>& body, int noManager);

    // Runs the scanners of one category; false when one of them failed.
    bool RunCategoryScanners(DWORD bit);
    // The status text of a scan whose categories in the mask failed.
    static std::string ScanIncompleteText(DWORD incomplete);

    // Scanners run by ScanAll, by category. A scanner lets every failure
    // through to RunCategoryScanners.
    void ScanActiveX();
    void ScanInterfaceTypeLibs();
    void ScanUninstall(const std::string& keyPath);
    void ScanInstallerFolders();
    void ScanFonts();
    void ScanSharedDlls();
    void ScanAppPaths();
    void ScanHelpFiles();
    void ScanStartup();
    void CheckStartupKeyValues(HKEY root, std::string keyPath);
    void CheckMenuOrderKey(const std::string& keyPath);
    void ScanUserHives();
    int ScanFolderForShortcuts(const std::string& folder, int mode);
    void ScanTypeLibHelpDirs();
    int ScanFileTypes();
    void ScanServices();

    // Parts of the scanners above, and the checks no job runs.
    int CheckFileTypeExtension(const std::string& extension);
    // Value lists whose names are paths: a missing one is reported, a present
    // one kept for a scheduled run.
    void ScanPathValueNames(const char* keyPath, DWORD category, const char* letter,
                            bool (*isMissing)(const CTolvEngineProcess&, const std::string&));
    // false when the list's key cannot be opened
    bool ScanHelpFileList(const char* keyPath);
    bool ScanHtmlHelpServers();
    void CheckServiceKey(const std::string& serviceKeyPath);
    void CheckAppPathKey(HKEY key, const std::string& keyPath, const std::string& name);
    // Judges the values of one registration, whatever their order.
    bool IsRegisteredApplicationMissing(const std::vector<AppPathValue>& values);
    void WalkRegistryTree(const std::string& rootName, const std::string& startPath, int mode);
    // key is open for its values and subkeys; counts are its own.
    void ScanKeyValues(HKEY key, const std::string& name, const std::string& keyText, int mode,
                       const WalkedKeyCounts& counts);
    LONG EnumWalkedValue(HKEY key, DWORD index, DWORD& nameLength, DWORD& type, DWORD& dataLength);
    void ScanClassReferenceValues(HKEY key, const std::string& name, const std::string& keyText,
                                  const WalkedKeyCounts& counts);
    void CheckClassReference(const std::string& name, const std::string& keyText, const std::string& text);
    void CheckFileReference(const std::string& keyText, const std::string& valueName, std::string text);
    int IsShortcutBroken(const std::string& path);
    static int CanOpenFileReadWrite(const std::string& path);
    void ReportJunkFile(const std::string& path, const WIN32_FIND_DATAA& entry);
    void ReportRecycleBinSize();
    void ScanEventLabelFiles();
    // Reports a finding when its key may be changed at all.
    void ReportIfWritable(const std::string& rootName, const std::string& keyPath, const std::string& text,
                          DWORD category);
    // Keeps a referenced path that exists, for a scheduled run.
    void RememberReferencedPath(const std::string& path);

    // Shows text with the category letter when the status throttle has passed
    // threshold, then counts the item; the first item of a category is
    // always shown.
    void ShowThrottledStatus(const std::string& text, const char* letter, int threshold);

    int m_nScanOption = 0;
    // Set on a 64-bit Windows, where a 32-bit engine runs under WOW64 and a
    // 64-bit one judges the same two system folders and registry views.
    int m_bWow64 = 0;
    double m_dRecycleBinKB = 0.0;
    double m_dTempFilesKB = 0.0;
    std::string m_strSystemDir;
    std::string m_strProgramFilesDir;
    // The job's go flag: set when the job is first resumed, cleared by Stop
    // on the window thread and by the end of Run; every loop of a job tests it.
    std::atomic<int> m_bRunning{0};
    std::atomic<int> m_nJobType{0};
    CAbstractStatus* m_pStatus = nullptr;
    CAbstractScanItemsInfo* m_pItems = nullptr;
    std::string m_strBackupText;
    std::atomic<CRegistryManager*> m_pRegistryManager{nullptr};
    // Stop reads the manager on the window thread while the job thread may
    // free it; both hold this lock while they touch the pointer.
    CCriticalSection m_registryManagerLock;
    // Items of the last repair that were removed, and those that could not be.
    int m_nRepairedItems = 0;
    int m_nUnrepairedItems = 0;
    CRegistryDefrag m_defrag;
    int m_bDefragReplace = 0;
    int m_nOsCode = 0;
    std::string m_strRestoreFile;
    DWORD m_dwCategoryMask = 0;
    std::set<std::string> m_folders;
    CComPtr<IShellLinkA> m_pShellLink;
    std::vector<StartupKey> m_startupKeys;
    void* m_pOldRedirection = nullptr;
    int m_nStatusThrottle = 0;
    // Drive types by letter, plus one; 0 when not asked in this scan.
    mutable UINT m_driveTypes[26] = {};
    // The tree walk's value buffers, kept from key to key.
    std::vector<char> m_walkName;
    std::vector<BYTE> m_walkData;
    std::string m_walkText;
    std::map<std::string, std::string> m_clsidMap;
    std::map<std::string, std::string> m_fileTypeMap;

    // Set just before the final sink call of a job, cleared by the next start.
    std::atomic<int> m_bFinalCallMade{0};
    // Set by a Stop that came between the start and the first Resume, cleared
    // by the next start: the job ends at once as cancelled.
    std::atomic<int> m_bStoppedBeforeResume{0};
    // Set by a release that gave up waiting: the sink may be gone.
    std::atomic<int> m_bReleased{0};
};
