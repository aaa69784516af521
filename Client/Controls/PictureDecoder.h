#pragma once
#include <windows.h>

#include <atomic>
#include <memory>
#include <vector>

#include "Client/Controls/CPictureEx.h"
#include "Framework/CHandle.h"

// Decodes one picture for several controls on a worker thread and posts a
// message to a window once all are ready: the system's loader takes a
// registry walk for each frame, which a page with a dozen animated pictures
// must not wait for on the window's thread. Each control gets a decoding of
// its own, as each plays on a drawing thread of its own.
class PictureDecoder
{
public:
    PictureDecoder() = default;
    ~PictureDecoder();
    PictureDecoder(const PictureDecoder&) = delete;
    PictureDecoder& operator=(const PictureDecoder&) = delete;

    // Starts decoding copies of bytes; false when no worker could be had.
    // A decoding already under way is dropped.
    bool Start(std::vector<BYTE> bytes, size_t copies, HWND notify, UINT message);
    bool IsDone() const { return m_job && m_job->done; }
    // The decoded pictures once done (an empty list before, or after a
    // failure); the worker keeps nothing of them.
    std::vector<CPictureEx::Decoded> Take();
    // Drops the decoding; a worker under way ends at its next picture.
    void Cancel();

private:
    struct Job
    {
        std::vector<BYTE> bytes;
        size_t copies = 0;
        HWND notify = NULL;
        UINT message = 0;
        std::vector<CPictureEx::Decoded> pictures;
        std::atomic<bool> cancelled{false};
        std::atomic<bool> done{false};
    };
    static DWORD WINAPI Decode(void* parameter);

    std::shared_ptr<Job> m_job;
    CHandle m_worker;
};
