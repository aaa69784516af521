#include "Engine/CTolvEngineProcess.h"

#include <shlobj.h>

#include "Client/Shell/CAbstractStatus.h"
#include "Engine/CRegistryManager.h"
#include "Engine/DefragResult.h"
#include "Framework/AnsiText.h"
#include "Framework/Wow64.h"

namespace
{
typedef BOOL(WINAPI* PFN_WOW64_REDIRECTION)(PVOID*);
typedef BOOL(WINAPI* PFN_WOW64_REVERT)(PVOID);

template <class T>
T Kernel32Function(const char* name)
{
    return reinterpret_cast<T>(reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("kernel32"), name)));
}

}

CTolvEngineProcess::CTolvEngineProcess() : CTolvEngineProcess(0)
{
}

CTolvEngineProcess::CTolvEngineProcess(int scanOption) : m_nScanOption(scanOption)
{
    // The caller has initialised COM on this thread. Without the shell-link
    // object the shortcut scan reports nothing.
    ::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, m_pShellLink.ReceiveVoid());
    ProbeEnvironment();
}

CTolvEngineProcess::~CTolvEngineProcess()
{
    // The job thread uses every member: it ends before any of them goes.
    Stop(1);
    EndThread();
}

bool CTolvEngineProcess::PrepareRelease()
{
    Stop(1);
    // Released from within one of its own sink calls: the thread cannot be
    // waited for, so the object stays with it.
    if (IsCurrentThread())
    {
        m_bReleased = 1;
        return false;
    }
    DiscardUnresumedThread();
    if (WaitForThreadsToEnd(kReleaseWaitMs))
        return true;
    m_bReleased = 1;
    return false;
}

void CTolvEngineProcess::ProbeEnvironment()
{
    m_bWow64 = Wow64::Is64BitWindows() ? 1 : 0;

    char buffer[MAX_PATH] = {};
    if (::GetSystemDirectoryA(buffer, MAX_PATH))
        m_strSystemDir = AnsiText::ToLower(buffer);
    buffer[0] = '\0';
    if (SUCCEEDED(::SHGetFolderPathA(NULL, CSIDL_PROGRAM_FILES, NULL, SHGFP_TYPE_CURRENT, buffer)))
        m_strProgramFilesDir = AnsiText::ToLower(buffer);
}

int CTolvEngineProcess::IsBusy()
{
    // Busy from the first Resume until the job thread has ended, a stopped
    // job included: until then it may still call the sink and use the store.
    if (!m_hThread.load())
        return 0;
    if (IsCurrentThread())
        return m_bFinalCallMade ? 0 : 1;
    // Created and not resumed: nothing of this job runs, but the job that
    // created it from its final call may still be returning.
    if (!WasResumed())
        return WaitForThreadsToEnd(kFinishingThreadWaitMs, false) ? 0 : 1;
    // A job that has made its final call only has to return: its page asks
    // from the finishing message, and gets its answer once the thread is gone.
    if (m_bFinalCallMade)
        return WaitForThreadsToEnd(kFinishingThreadWaitMs) ? 0 : 1;
    return IsRunning() ? 1 : 0;
}

int CTolvEngineProcess::Stop(int flag)
{
    if (!flag)
        return 1;
    // A job created and not resumed yet is cancelled before it begins: its
    // first Resume must not raise the flag again.
    if (m_hThread.load() && !WasResumed())
        m_bStoppedBeforeResume = 1;
    // The running flag first: a backup that publishes its manager after this
    // sees the flag and cancels itself.
    m_bRunning = 0;
    CCriticalSectionLock lock(m_registryManagerLock);
    if (CRegistryManager* manager = m_pRegistryManager.load())
        manager->Cancel();
    return 1;
}

BOOL CTolvEngineProcess::WaitOrRelease(int wait)
{
    return wait ? WaitEvent() : SignalEvent();
}

BOOL CTolvEngineProcess::Resume()
{
    // The first Resume starts the job: a Stop from then on is never lost,
    // however late the thread begins.
    if (IsRunning() && !WasResumed())
        m_bRunning = m_bStoppedBeforeResume ? 0 : 1;
    return CSmartThread::Resume();
}

BOOL CTolvEngineProcess::Suspend()
{
    return CSmartThread::Suspend();
}

HANDLE CTolvEngineProcess::GetThreadHandle()
{
    return GetHandle();
}

DWORD CTolvEngineProcess::GetThreadId()
{
    return m_dwThreadId;
}

int CTolvEngineProcess::GetJobType()
{
    return m_nJobType;
}

int CTolvEngineProcess::Reserved(int)
{
    return 0;
}

bool CTolvEngineProcess::WaitForFinishedJob()
{
    if (!IsRunning())
        return WaitForThreadsToEnd(kFinishingThreadWaitMs);
    // A job that has made its final call only has to return; its page may
    // start the next job from the finishing message (the automatic repair
    // after a scan does), or from within the final call itself.
    if (!m_bFinalCallMade)
        return false;
    if (IsCurrentThread())
        return true;
    return WaitForThreadsToEnd(kFinishingThreadWaitMs);
}

int CTolvEngineProcess::StartJob()
{
    m_bFinalCallMade = 0;
    m_bStoppedBeforeResume = 0;
    return CreateSuspendedThread() ? 1 : -1;
}

int CTolvEngineProcess::StartFullBackup(const char* text, CAbstractStatus* sink)
{
    if (!text || !sink || !WaitForFinishedJob())
        return -1;
    m_pStatus = sink;
    m_nJobType = kJobFullBackup;
    m_strBackupText = text;
    return StartJob();
}

int CTolvEngineProcess::StartRestore(const char* backupFile, CAbstractStatus* sink)
{
    if (!backupFile || !*backupFile || !sink || !WaitForFinishedJob())
        return -1;
    m_pStatus = sink;
    m_nJobType = kJobRestore;
    m_strRestoreFile = backupFile;
    return StartJob();
}

int CTolvEngineProcess::StartScan(const std::set<std::string>& folders, DWORD categoryMask, CAbstractStatus* sink,
                                  int scanOption)
{
    if (!sink || !WaitForFinishedJob())
        return -1;
    m_folders = folders;
    m_dwCategoryMask = categoryMask;
    m_nScanOption = scanOption;
    m_pStatus = sink;
    m_nJobType = kJobScan;
    return StartJob();
}

int CTolvEngineProcess::StartRepair(CAbstractScanItemsInfo* items, CAbstractStatus* sink)
{
    if (!items || !sink || !WaitForFinishedJob())
        return -1;
    m_pItems = items;
    m_pStatus = sink;
    m_nJobType = kJobRepair;
    return StartJob();
}

int CTolvEngineProcess::StartDefrag(int replace, CAbstractStatus* sink, int osCode)
{
    if (!sink || !WaitForFinishedJob())
        return -1;
    m_pStatus = sink;
    m_nJobType = kJobDefrag;
    m_bDefragReplace = replace;
    m_nOsCode = osCode;
    return StartJob();
}

bool CTolvEngineProcess::IsRedirectedJob() const
{
    const int job = m_nJobType;
    return job == kJobScan || job == kJobRepair || job == kJobDefrag;
}

bool CTolvEngineProcess::DisableRedirection()
{
    if (!IsRedirectedJob() || !Wow64::IsCurrentProcess())
        return false;
    const PFN_WOW64_REDIRECTION disable =
        Kernel32Function<PFN_WOW64_REDIRECTION>("Wow64DisableWow64FsRedirection");
    return disable && disable(&m_pOldRedirection);
}

void CTolvEngineProcess::RevertRedirection()
{
    if (!IsRedirectedJob() || !Wow64::IsCurrentProcess())
        return;
    if (const PFN_WOW64_REVERT revert = Kernel32Function<PFN_WOW64_REVERT>("Wow64RevertWow64FsRedirection"))
        revert(m_pOldRedirection);
}

int CTolvEngineProcess::RunJobBody()
{
    // Each body reports its own failures; this is the last guard, so that the
    // final calls always come, and never with a success.
    try
    {
        switch (m_nJobType)
        {
        case kJobFullBackup:
            return BackupToFile(1);
        case kJobRestore:
            return RestoreBackup();
        case kJobScan:
            return ScanAll();
        case kJobRepair:
            return RepairAll();
        case kJobDefrag:
            return DefragRegistry();
        default:
            return 0;
        }
    }
    catch (...)
    {
        return FailedJobResult();
    }
}

int CTolvEngineProcess::FailedJobResult() const
{
    switch (m_nJobType)
    {
    case kJobScan:
        return kScanIncomplete;
    case kJobDefrag:
        return kDefragFailedBeforeHiveList;
    default:
        return -1;
    }
}

int CTolvEngineProcess::CancelledBeforeStartResult() const
{
    // What a cancelled scan or repair gives; the other jobs did nothing, which
    // is never a success.
    switch (m_nJobType)
    {
    case kJobScan:
        return kScanComplete;
    case kJobRepair:
        return kRepairDone;
    default:
        return FailedJobResult();
    }
}

int CTolvEngineProcess::Run()
{
    CAbstractStatus* const sink = m_pStatus;
    sink->OnProgress(0);

    int result = 0;
    if (m_bStoppedBeforeResume)
    {
        // Stopped before it began: no body runs (a restore or a compaction
        // would otherwise run to its end), only the calls every job makes.
        result = CancelledBeforeStartResult();
    }
    else
    {
        const bool redirected = DisableRedirection();
        result = RunJobBody();
        if (redirected)
            RevertRedirection();
    }

    if (m_bReleased)
        return result;
    return FinishJob(sink, result);
}

int CTolvEngineProcess::FinishJob(CAbstractStatus* sink, int result)
{
    // The compaction page waits for this call alone, so it comes on every
    // road the job ends by: its body, a stop before it began, a failure.
    if (m_nJobType == kJobDefrag)
        sink->OnDefragResult(result);
    sink->OnProgress(2);
    sink->SetStatusText("", "Scanning");
    // The job's inputs are free before its final call: the page may start
    // the next job from that call or from the message it posts.
    m_pStatus = nullptr;
    m_bRunning = 0;
    m_bFinalCallMade = 1;
    sink->OnJobFinished(result);
    return result;
}
