#include "Client/Shell/JobFinishGate.h"

#include "Client/Shell/PageShell.h"
#include "Engine/CAbstractProcess.h"
#include "Framework/CWnd.h"

bool JobFinishGate::MayFinish(CWnd& page, UINT_PTR timer)
{
    CAbstractProcess* job = ProgramShell().JobObject();
    if (job && job->GetThreadHandle())
    {
        if (!m_waitStart)
            m_waitStart = ::GetTickCount();
        if (::GetTickCount() - m_waitStart < kLimitMs)
        {
            page.SetTimer(timer, kPollMs);
            return false;
        }
    }
    page.KillTimer(timer);
    return true;
}
