#pragma once
#include <windows.h>

class CWnd;

// When a page may finish the job whose finishing message has come: once
// the job's thread has ended, so that nothing of the job needs the page, the
// results store or the engine any more and the next job starts at once.
// Until then the page looks again on its timer; a thread that does not end
// within the limit is not waited for.
class JobFinishGate
{
public:
    // A new job: its finishing message has not come yet.
    void Reset() { m_waitStart = 0; }
    // True when the page may finish now (its timer is then stopped); false
    // when it has set the timer to look again.
    bool MayFinish(CWnd& page, UINT_PTR timer);

    static const UINT kPollMs = 20;
    static const DWORD kLimitMs = 10000;

private:
    DWORD m_waitStart = 0;
};
