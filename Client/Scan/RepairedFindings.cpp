#include "Client/Scan/RepairedFindings.h"

#include "Client/Scan/FindingPresence.h"
#include "Framework/WorkerThread.h"

RepairedFindings::~RepairedFindings()
{
    m_stop = true;
    EndWorker();
}

void RepairedFindings::EndWorker()
{
    if (!m_worker)
        return;
    // The worker checks one finding at a time and looks at the stop flag
    // between them; it has posted its message as its last step.
    ::WaitForSingleObject(m_worker.Get(), INFINITE);
    m_worker.Close();
}

void RepairedFindings::Clear()
{
    EndWorker();
    m_stop = false;
    m_categories.clear();
    m_findings.clear();
}

void RepairedFindings::AddCategory(DWORD category)
{
    m_categories.push_back(category);
}

void RepairedFindings::AddFinding(const std::string& text, DWORD category)
{
    Finding finding;
    finding.text = text;
    finding.category = category;
    m_findings.push_back(finding);
}

bool RepairedFindings::NotePresentBeforeOnWorker(HWND window, UINT message)
{
    EndWorker();
    m_workerStart = WorkerStart{this, window, message};
    m_worker.Attach(WorkerThread::Create(&RepairedFindings::NoteBeforeOnWorker, &m_workerStart, false));
    return static_cast<bool>(m_worker);
}

DWORD WINAPI RepairedFindings::NoteBeforeOnWorker(void* parameter)
{
    const WorkerStart& start = *static_cast<const WorkerStart*>(parameter);
    start.findings->NotePresentBefore();
    ::PostMessageA(start.window, start.message, 0, 0);
    return 0;
}

void RepairedFindings::NotePresentBefore()
{
    for (Finding& finding : m_findings)
    {
        if (m_stop)
            return;
        finding.presentBefore = FindingPresence::Check(finding.text, finding.category) == FindingPresence::kPresent;
    }
}

void RepairedFindings::NoteGoneAfter()
{
    for (Finding& finding : m_findings)
        if (finding.presentBefore)
            finding.goneAfter = FindingPresence::IsGone(finding.text, finding.category);
}

RepairedFindings::Counts RepairedFindings::CountRepaired(bool refused) const
{
    Counts counts;
    for (DWORD category : m_categories)
        counts.repaired[category] = 0;
    if (refused)
        return counts;
    for (const Finding& finding : m_findings)
    {
        if (!finding.presentBefore || !finding.goneAfter)
            continue;
        ++counts.repaired[finding.category];
        ++counts.total;
    }
    return counts;
}
