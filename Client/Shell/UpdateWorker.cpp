#include "Client/Shell/UpdateWorker.h"

#include <wininet.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "Client/Shell/ProductInfo.h"
#include "Client/Shell/UpdateProtocol.h"
#include "Framework/CHandle.h"
#include "Framework/LateImports.h"
#include "Framework/ShellCalls.h"
#include "Framework/WorkerThread.h"

const char* const UpdateWorker::kCancelled = "cancel";

namespace
{
const DWORD kCheckTimeoutMs = 4000;
const DWORD kDownloadTimeoutMs = 15000;
const DWORD kConnectRetries = 4;
// Neither read from nor written to the cache, and proxies asked not to either.
const DWORD kOpenFlags = INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_PRAGMA_NOCACHE;

const char* const kNoInternet = "There was an error connecting to internet, please make sure you are connected";
const char* const kNoInternetDownload =
    "There was an error connecting to internet, Please make sure you are connected to the internet";
const char* const kNoServer = "Error connecting to update server, please make sure you are connected to the internet";
const char* const kUpToDate = "You are already running latest version of " QM_PRODUCT_NAME;
const char* const kUnreadable =
    "Communication error while checking for software update, please make sure you are connected to the internet";
const char* const kNewVersion = "A new version of " QM_PRODUCT_NAME " is available, Do you want to download it";
const char* const kDownloadFailed = "An error occurred while downloading updates, check your internet connection";
const char* const kInstallQuestion = "Do you want to install the downloaded updates.\r\nIf you select Yes, " QM_PRODUCT_NAME
                                     " will exit and update installer will be launched.";

// A WinINet handle that the job can close from the dialog's thread.
class TrackedHandle
{
public:
    TrackedHandle(UpdateJob& job, HINTERNET handle) : m_job(job), m_handle(job.Track(handle) ? handle : NULL) {}
    ~TrackedHandle()
    {
        if (m_handle)
            m_job.Close(m_handle);
    }
    TrackedHandle(const TrackedHandle&) = delete;
    TrackedHandle& operator=(const TrackedHandle&) = delete;

    HINTERNET Get() const { return m_handle; }
    explicit operator bool() const { return m_handle != NULL; }

private:
    UpdateJob& m_job;
    HINTERNET m_handle;
};

bool IsConnected()
{
    DWORD flags = 0;
    return LateImports::InternetGetConnectedState(&flags, 0) != FALSE;
}

std::string TempFolder()
{
    char folder[MAX_PATH + 1] = {};
    const DWORD length = ::GetTempPathA(MAX_PATH, folder);
    return length && length <= MAX_PATH ? std::string(folder, length) : std::string();
}
}

UpdateWorker::UpdateWorker(std::shared_ptr<UpdateJob> job) : m_job(std::move(job)) {}

DWORD WINAPI UpdateWorker::ThreadMain(void* job)
{
    std::unique_ptr<std::shared_ptr<UpdateJob>> held(static_cast<std::shared_ptr<UpdateJob>*>(job));
    UpdateWorker(*held).Run();
    return 0;
}

HANDLE UpdateWorker::Start(const std::shared_ptr<UpdateJob>& job, DWORD* threadId)
{
    auto held = std::make_unique<std::shared_ptr<UpdateJob>>(job);
    const HANDLE thread = WorkerThread::Create(&UpdateWorker::ThreadMain, held.get(), true, threadId);
    if (!thread)
        return NULL;
    held.release();
    ::SetThreadPriority(thread, THREAD_PRIORITY_LOWEST);
    ::ResumeThread(thread);
    return thread;
}

void UpdateWorker::Run()
{
    UpdateJob& job = *m_job;
    job.SetStatus("Checking for updates...");
    std::string address;
    if (!CheckForUpdate(address) || address.empty())
    {
        job.RequestClose();
        return;
    }

    job.SetStatus("Found new version of " QM_PRODUCT_NAME);
    job.SetAnimation(false);
    if (job.Tell(kNewVersion, MB_YESNO) != IDYES)
    {
        job.RequestClose();
        return;
    }
    if (job.IsPortable())
    {
        Open(address);
        job.RequestClose();
        return;
    }

    job.SetAnimation(true);
    job.SetStatus("Downloading latest version of " QM_PRODUCT_NAME);
    const std::string installer = DownloadUpdate(address);
    if (installer == kCancelled)
        return;
    if (installer.empty())
    {
        // A close between two of the download's steps fails the next step
        // on its closed handle: that is the user's cancel, no failure to tell.
        if (job.IsCancelled())
            return;
        job.SetAnimation(false);
        job.Tell(kDownloadFailed, MB_OK);
        job.RequestClose();
        return;
    }

    job.SetStatus("Download completed");
    job.SetAnimation(false);
    if (job.Tell(kInstallQuestion, MB_YESNO) == IDYES)
    {
        Open(installer);
        job.RequestExit();
        return;
    }
    job.RequestClose();
}

void UpdateWorker::Open(const std::string& file)
{
    if (UpdateProtocol::IsWebAddress(file) || ::GetFileAttributesA(file.c_str()) != INVALID_FILE_ATTRIBUTES)
        ShellCalls::Execute(NULL, "open", file.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

HINTERNET UpdateWorker::OpenSession(DWORD timeoutMs)
{
    const HINTERNET session =
        LateImports::InternetOpenA(UpdateProtocol::UserAgent().c_str(), INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
    if (!session)
        return NULL;
    // Only the connect time-out holds under Wine; Windows honours all five.
    for (DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT,
                         INTERNET_OPTION_RECEIVE_TIMEOUT, INTERNET_OPTION_CONTROL_SEND_TIMEOUT,
                         INTERNET_OPTION_CONTROL_RECEIVE_TIMEOUT})
        LateImports::InternetSetOptionA(session, option, &timeoutMs, sizeof(timeoutMs));
    DWORD retries = kConnectRetries;
    LateImports::InternetSetOptionA(session, INTERNET_OPTION_CONNECT_RETRIES, &retries, sizeof(retries));
    return session;
}

HINTERNET UpdateWorker::OpenAddress(HINTERNET session, const std::string& address)
{
    if (!session || !UpdateProtocol::IsWebAddress(address))
        return NULL;
    return LateImports::InternetOpenUrlA(session, address.c_str(), nullptr, 0, kOpenFlags, 0);
}

bool UpdateWorker::IsAnsweredOk(HINTERNET request)
{
    // An error page is neither a reply nor an installer.
    DWORD status = 0;
    DWORD size = sizeof(status);
    return LateImports::HttpQueryInfoA(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr) &&
           status == HTTP_STATUS_OK;
}

bool UpdateWorker::ReadReply(HINTERNET request, std::string& body)
{
    body.clear();
    char chunk[UpdateProtocol::kChunkBytes];
    while (body.size() < UpdateProtocol::kMaxReplyBytes && !m_job->IsCancelled())
    {
        const DWORD wanted = static_cast<DWORD>(
            std::min<size_t>(sizeof(chunk), UpdateProtocol::kMaxReplyBytes - body.size()));
        DWORD read = 0;
        if (!LateImports::InternetReadFile(request, chunk, wanted, &read) || read == 0)
            break;
        body.append(chunk, read);
    }
    return !m_job->IsCancelled();
}

BOOL UpdateWorker::CheckForUpdate(std::string& address)
{
    address.clear();
    UpdateJob& job = *m_job;
    const bool silent = job.IsSilent();
    TrackedHandle session(job, OpenSession(kCheckTimeoutMs));
    if (job.IsCancelled())
        return FALSE;
    if (!session || !IsConnected())
    {
        if (!silent)
            job.Tell(kNoInternet, MB_OK);
        return FALSE;
    }

    std::string body;
    {
        const std::string query = UpdateProtocol::QueryAddress(UpdateProtocol::ServerAddress(), job.Facts());
        TrackedHandle request(job, OpenAddress(session.Get(), query));
        if (job.IsCancelled())
            return FALSE;
        if (!request || !IsAnsweredOk(request.Get()))
        {
            if (!silent)
                job.Tell(kNoServer, MB_OK);
            return FALSE;
        }
        if (!ReadReply(request.Get(), body))
            return FALSE;
    }

    std::string found;
    switch (UpdateProtocol::ParseReply(body, job.IsPortable(), found))
    {
    case UpdateProtocol::ReplyKind::UpToDate:
        job.Tell(kUpToDate, MB_OK);
        return FALSE;
    case UpdateProtocol::ReplyKind::NewVersion:
        // Only a web address is ever opened or downloaded; anything else in
        // its place makes the reply as unreadable as garbage.
        if (found.empty() || UpdateProtocol::IsWebAddress(found))
        {
            address = found;
            return TRUE;
        }
        break;
    case UpdateProtocol::ReplyKind::Unreadable:
        break;
    }
    if (!silent)
        job.Tell(kUnreadable, MB_OK);
    return FALSE;
}

std::string UpdateWorker::DownloadUpdate(const std::string& address)
{
    UpdateJob& job = *m_job;
    const std::string folder = TempFolder();
    char tempFile[MAX_PATH] = {};
    if (folder.empty() || !::GetTempFileNameA(folder.c_str(), "qmu", 0, tempFile))
        return std::string();
    const std::string target = UpdateProtocol::InstallerPathFor(tempFile);
    LateImports::DeleteUrlCacheEntryA(address.c_str());

    TrackedHandle session(job, OpenSession(kDownloadTimeoutMs));
    if (job.IsCancelled())
        return kCancelled;
    if (!session || !IsConnected())
    {
        job.SetAnimation(false);
        job.Tell(kNoInternetDownload, MB_OK);
        return std::string();
    }
    TrackedHandle request(job, OpenAddress(session.Get(), address));
    if (job.IsCancelled())
        return kCancelled;
    if (!request || !IsAnsweredOk(request.Get()))
        return std::string();

    char lengthText[32] = {};
    DWORD lengthSize = sizeof(lengthText);
    if (!LateImports::HttpQueryInfoA(request.Get(), HTTP_QUERY_CONTENT_LENGTH, lengthText, &lengthSize, nullptr))
        return std::string();
    const long announced = std::atol(lengthText);
    // An empty installer is as broken as a short one.
    if (announced <= 0)
        return std::string();

    DWORD total = 0;
    bool written = true;
    {
        CHandle file(::CreateFileA(target.c_str(), GENERIC_WRITE, FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                   CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL));
        if (!file)
            return std::string();
        std::vector<char> chunk(UpdateProtocol::kChunkBytes);
        for (;;)
        {
            DWORD read = 0;
            const BOOL ok =
                LateImports::InternetReadFile(request.Get(), chunk.data(), static_cast<DWORD>(chunk.size()), &read);
            if (job.IsCancelled())
                break;
            if (!ok || read == 0)
                break;
            DWORD put = 0;
            if (!::WriteFile(file.Get(), chunk.data(), read, &put, nullptr) || put != read)
            {
                written = false;
                break;
            }
            total += read;
        }
    }
    // Whatever did not arrive whole is never started, nor left to be.
    const bool complete = written && !job.IsCancelled() && total == static_cast<DWORD>(announced);
    if (!complete)
        ::DeleteFileA(target.c_str());
    if (job.IsCancelled())
        return kCancelled;
    return complete ? target : std::string();
}
