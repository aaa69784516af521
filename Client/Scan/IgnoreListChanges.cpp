#include "Client/Scan/IgnoreListChanges.h"

#include <utility>

IgnoreListChanges::IgnoreListChanges(std::string path, std::shared_ptr<const IgnoreListSnapshot> current, Kind kind,
                                     std::string key)
    : m_path(std::move(path)), m_current(std::move(current))
{
    m_queue.push_back(Change{kind, std::move(key)});
}

bool IgnoreListChanges::Queue(Kind kind, std::string key)
{
    const CCriticalSectionLock hold(m_lock);
    if (!m_running)
        return false;
    m_queue.push_back(Change{kind, std::move(key)});
    return true;
}

bool IgnoreListChanges::Running() const
{
    const CCriticalSectionLock hold(m_lock);
    return m_running;
}

void IgnoreListChanges::WriteAll()
{
    Change change;
    while (TakeNext(change))
        Write(change);
}

bool IgnoreListChanges::TakeNext(Change& change)
{
    const CCriticalSectionLock hold(m_lock);
    if (m_queue.empty())
    {
        // The list is let go here, on the worker, before the window thread
        // can see it has ended.
        m_current.reset();
        m_running = false;
        return false;
    }
    change = std::move(m_queue.front());
    m_queue.pop_front();
    return true;
}

void IgnoreListChanges::Write(const Change& change)
{
    const IgnoreListFile file(m_path);
    std::string text;
    m_lastStatus = change.kind == Kind::kInsert ? file.Insert(m_current->Content(), change.key, 0, text)
                                                : file.Remove(m_current->Content(), change.key, text);
    m_made[Index(change.kind)] = true;
    if (m_lastStatus != IgnoreListFile::Status::kDone)
    {
        m_failed[Index(change.kind)] = true;
        return;
    }
    // Nothing to change writes nothing: the list stays the one read.
    if (text.empty())
        return;
    m_written = IgnoreListSnapshot::FromWritten(m_path, std::move(text));
    m_current = m_written;
}
