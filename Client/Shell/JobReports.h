#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "Framework/CCriticalSection.h"

// The hand-over from an engine job's thread to the page that follows the
// job. The page's status sink, on the job thread, sets what the job reports,
// one setter for each kind; the page's window thread takes it, from its timer
// or from the message posted here, and alone touches the windows. The job
// thread never waits for the window thread: a setter only copies under the
// lock and posts at most one message until the page took what came.
class JobReports
{
public:
    // The pages' progress bars run from 0 to this and stop there: a step
    // past the end would wrap the bar round to its start.
    static constexpr int kFullProgress = 100;

    // A status or a finding, kept in the order the job reported it.
    struct Report
    {
        bool finding = false;
        // A status's text and code, or a finding's text.
        std::string text;
        std::string code;
        DWORD category = 0;
        int firstValue = 0;
        int secondValue = 0;
    };
    // What the window thread takes at once.
    struct Taken
    {
        // The latest status, when one came since the last take, and how
        // many with a text came (each names an item the job looked at).
        bool statusChanged = false;
        std::string status;
        int statusTexts = 0;
        std::vector<Report> reports;
        // Where the progress bar is to stand, when it moved.
        bool progressChanged = false;
        int progress = 0;
    };

    JobReports() = default;
    JobReports(const JobReports&) = delete;
    JobReports& operator=(const JobReports&) = delete;

    // Window thread, once the page's window is made: what the job reports
    // is announced by message posted to window (without: the page looks by
    // its timer).
    void AnnounceTo(HWND window, UINT message);
    // Window thread, before a job starts: forgets what the last job reported.
    void Restart();

    // Job thread. A status: the latest is shown; keep: it also goes, in
    // order, with the findings (a page's kept messages, a change of step).
    void SetStatus(const std::string& text, const std::string& code, bool keep);
    void SetProgress(int position);
    void StepProgress(int step);
    void AddFinding(const std::string& text, DWORD category, int firstValue, int secondValue);
    // The job's result, noted with the time; the page posts its own message
    // for the end.
    void SetEnd(int result);

    // Window thread. wait false: takes nothing (false) while the job thread
    // is setting this moment, so a timer never waits for it.
    bool Take(Taken& taken, bool wait = true);
    // The result the job ended with, 0 before its end, and when it ended
    // (0 before).
    int Result() const;
    DWORD EndTick() const;

private:
    // With the lock held: posts the message unless one is on its way.
    void Announce();

    mutable CCriticalSection m_lock;
    HWND m_window = NULL;
    UINT m_message = 0;
    bool m_announced = false;
    bool m_statusChanged = false;
    std::string m_status;
    int m_statusTexts = 0;
    std::vector<Report> m_reports;
    bool m_progressChanged = false;
    int m_progress = 0;
    int m_result = 0;
    DWORD m_endTick = 0;
};
