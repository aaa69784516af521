#include "Client/Shell/JobReports.h"

void JobReports::AnnounceTo(HWND window, UINT message)
{
    CCriticalSectionLock lock(m_lock);
    m_window = window;
    m_message = message;
}

void JobReports::Restart()
{
    CCriticalSectionLock lock(m_lock);
    m_announced = false;
    m_statusChanged = false;
    m_status.clear();
    m_statusTexts = 0;
    m_reports.clear();
    m_progressChanged = false;
    m_progress = 0;
    m_result = 0;
    m_endTick = 0;
}

void JobReports::Announce()
{
    if (m_announced || !m_window || !m_message)
        return;
    m_announced = true;
    ::PostMessageA(m_window, m_message, 0, 0);
}

void JobReports::SetStatus(const std::string& text, const std::string& code, bool keep)
{
    CCriticalSectionLock lock(m_lock);
    m_status = text;
    m_statusChanged = true;
    if (!text.empty())
        ++m_statusTexts;
    if (keep)
    {
        Report report;
        report.text = text;
        report.code = code;
        m_reports.push_back(std::move(report));
    }
    Announce();
}

void JobReports::SetProgress(int position)
{
    CCriticalSectionLock lock(m_lock);
    m_progress = position > kFullProgress ? kFullProgress : position;
    m_progressChanged = true;
    Announce();
}

void JobReports::StepProgress(int step)
{
    CCriticalSectionLock lock(m_lock);
    m_progress = m_progress + step > kFullProgress ? kFullProgress : m_progress + step;
    m_progressChanged = true;
    Announce();
}

void JobReports::AddFinding(const std::string& text, DWORD category, int firstValue, int secondValue)
{
    CCriticalSectionLock lock(m_lock);
    Report report;
    report.finding = true;
    report.text = text;
    report.category = category;
    report.firstValue = firstValue;
    report.secondValue = secondValue;
    m_reports.push_back(std::move(report));
    Announce();
}

void JobReports::SetEnd(int result)
{
    CCriticalSectionLock lock(m_lock);
    m_result = result;
    m_endTick = ::GetTickCount();
}

bool JobReports::Take(Taken& taken, bool wait)
{
    if (wait)
        m_lock.Enter();
    else if (!m_lock.TryEnter())
        return false;
    // Nothing here throws: swaps and plain values only.
    taken = Taken();
    taken.statusChanged = m_statusChanged;
    taken.status.swap(m_status);
    taken.statusTexts = m_statusTexts;
    m_statusTexts = 0;
    taken.reports.swap(m_reports);
    taken.progressChanged = m_progressChanged;
    taken.progress = m_progress;
    m_statusChanged = false;
    m_progressChanged = false;
    m_announced = false;
    m_lock.Leave();
    return true;
}

int JobReports::Result() const
{
    CCriticalSectionLock lock(m_lock);
    return m_result;
}

DWORD JobReports::EndTick() const
{
    CCriticalSectionLock lock(m_lock);
    return m_endTick;
}
