#include "Client/Controls/PictureDecoder.h"

#include <objbase.h>

#include "Framework/WorkerThread.h"

PictureDecoder::~PictureDecoder()
{
    Cancel();
}

bool PictureDecoder::Start(std::vector<BYTE> bytes, size_t copies, HWND notify, UINT message)
{
    Cancel();
    auto job = std::make_shared<Job>();
    job->bytes = std::move(bytes);
    job->copies = copies;
    job->notify = notify;
    job->message = message;
    // The worker's own reference, released by the worker: a page that goes
    // first never waits for it.
    auto reference = std::make_unique<std::shared_ptr<Job>>(job);
    m_worker.Attach(WorkerThread::Create(&PictureDecoder::Decode, reference.get(), false));
    if (!m_worker.IsValid())
        return false;
    reference.release();
    m_job = std::move(job);
    return true;
}

DWORD WINAPI PictureDecoder::Decode(void* parameter)
{
    const std::unique_ptr<std::shared_ptr<Job>> reference(static_cast<std::shared_ptr<Job>*>(parameter));
    Job& job = **reference;
    // The loader creates its decoders through COM.
    const bool com = SUCCEEDED(::CoInitializeEx(nullptr, COINIT_MULTITHREADED));
    std::vector<CPictureEx::Decoded> pictures(job.copies);
    bool whole = true;
    for (size_t i = 0; i < pictures.size() && whole && !job.cancelled; ++i)
        whole = CPictureEx::Decode(job.bytes.data(), static_cast<DWORD>(job.bytes.size()), pictures[i]);
    if (whole && !job.cancelled)
        job.pictures = std::move(pictures);
    else
        pictures.clear();
    job.done = true;
    if (!job.cancelled)
        ::PostMessageA(job.notify, job.message, 0, 0);
    if (com)
        ::CoUninitialize();
    return 0;
}

std::vector<CPictureEx::Decoded> PictureDecoder::Take()
{
    if (!IsDone())
        return {};
    m_worker.Close();
    std::vector<CPictureEx::Decoded> pictures = std::move(m_job->pictures);
    m_job.reset();
    return pictures;
}

void PictureDecoder::Cancel()
{
    if (m_job)
        m_job->cancelled = true;
    m_job.reset();
    m_worker.Close();
}
