#pragma once
#include <windows.h>
#include <wininet.h>

#include <memory>
#include <string>

#include "Client/Shell/UpdateJob.h"

// The updater's worker: asks the update server whether a newer version
// exists, and with the user's consent downloads and starts the installer (or,
// in portable mode, opens the download address in the browser). It runs on a
// thread of its own and reaches its dialog only through the job.
class UpdateWorker
{
public:
    explicit UpdateWorker(std::shared_ptr<UpdateJob> job);

    // The thread function; takes over a heap-made std::shared_ptr<UpdateJob>.
    static DWORD WINAPI ThreadMain(void* job);
    // Starts the worker at the lowest priority; the thread's handle or NULL.
    static HANDLE Start(const std::shared_ptr<UpdateJob>& job, DWORD* threadId);

    // The whole road, from the first status to the last request.
    void Run();

    // TRUE with the download address when a newer version exists; tells the
    // user what went wrong as the job's silent flag allows.
    BOOL CheckForUpdate(std::string& address);
    // The installer's full path; empty on failure; "cancel" when the job was
    // cancelled meanwhile. An incomplete file is deleted.
    std::string DownloadUpdate(const std::string& address);

    static const char* const kCancelled;

private:
    static HINTERNET OpenSession(DWORD timeoutMs);
    // GET with no caching; NULL for anything but a web address.
    static HINTERNET OpenAddress(HINTERNET session, const std::string& address);
    static bool IsAnsweredOk(HINTERNET request);
    // The body up to the reply limit; false when cancelled meanwhile.
    bool ReadReply(HINTERNET request, std::string& body);
    void Open(const std::string& file);

    std::shared_ptr<UpdateJob> m_job;
};
