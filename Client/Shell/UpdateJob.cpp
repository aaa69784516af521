#include "Client/Shell/UpdateJob.h"

#include <algorithm>
#include <utility>

#include "Client/Shell/ProductInfo.h"

UpdateJob::UpdateJob(const UpdateProtocol::QueryFacts& facts, bool portable) : m_facts(facts), m_portable(portable)
{
}

UpdateJob::~UpdateJob() = default;

void UpdateJob::SetStatus(const std::string& text)
{
    CCriticalSectionLock lock(m_lock);
    m_status = text;
    m_statusChanged = true;
}

void UpdateJob::SetAnimation(bool playing)
{
    CCriticalSectionLock lock(m_lock);
    m_playing = playing;
    m_animationChanged = true;
}

bool UpdateJob::TakeStatus(std::string& text)
{
    CCriticalSectionLock lock(m_lock);
    if (!m_statusChanged)
        return false;
    text = m_status;
    m_statusChanged = false;
    return true;
}

bool UpdateJob::TakeAnimation(bool& playing)
{
    CCriticalSectionLock lock(m_lock);
    if (!m_animationChanged)
        return false;
    playing = m_playing;
    m_animationChanged = false;
    return true;
}

int UpdateJob::Tell(const std::string& text, UINT type)
{
    if (m_cancelled)
        return IDNO;
    const int answer =
        m_messageBox ? m_messageBox(text, type) : ::MessageBoxA(NULL, text.c_str(), QM_PRODUCT_NAME, type);
    // A question that the closing dialog answered is no consent.
    return m_cancelled ? IDNO : answer;
}

bool UpdateJob::Track(HINTERNET handle)
{
    if (!handle)
        return false;
    CInternetHandle held(handle);
    CCriticalSectionLock lock(m_lock);
    if (m_cancelled)
        return false;
    m_handles.push_back(std::move(held));
    return true;
}

void UpdateJob::Close(HINTERNET handle)
{
    CCriticalSectionLock lock(m_lock);
    const auto found = std::find_if(m_handles.begin(), m_handles.end(),
                                    [handle](const CInternetHandle& held) { return held.Get() == handle; });
    if (found != m_handles.end())
        m_handles.erase(found);
}

void UpdateJob::Cancel()
{
    m_cancelled = true;
    std::vector<CInternetHandle> open;
    {
        CCriticalSectionLock lock(m_lock);
        open.swap(m_handles);
    }
    // Requests before their session, as the worker itself would close them.
    while (!open.empty())
        open.pop_back();
}
