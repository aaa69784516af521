#pragma once
#include <windows.h>

#include <atomic>

#include "Framework/CProgressCtrl.h"

// The job pages' progress bars run from 0 to 100 and stop there: a step
// past the end would wrap the bar round to its start.
namespace PageProgress
{
const int kFull = 100;
}

// A progress bar that a job's thread moves. The job thread only notes where
// the bar is to stand and posts the page message once until the page took
// it; the page sets the bar on its window thread (Show), so the job never
// waits for the window thread.
class JobProgress
{
public:
    // On the job thread.
    void Set(int position, HWND page, UINT message)
    {
        m_position = position > PageProgress::kFull ? PageProgress::kFull : position;
        if (!m_posted.exchange(true))
            ::PostMessageA(page, message, 0, 0);
    }
    void Step(int step, HWND page, UINT message) { Set(m_position + step, page, message); }
    // On the window thread.
    void Show(CProgressCtrl& bar)
    {
        m_posted = false;
        bar.SetPos(m_position);
    }

private:
    std::atomic<int> m_position{0};
    std::atomic<bool> m_posted{false};
};
