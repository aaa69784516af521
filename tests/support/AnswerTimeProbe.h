#pragma once
#include <windows.h>

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

// How long a window keeps its caller waiting: from a thread of its own the
// probe asks the window an empty question (WM_NULL) every few milliseconds
// and notes how long each answer took. The window may belong to another
// process or to the calling thread (which then handles its messages while
// the probe stops).
class AnswerTimeProbe
{
public:
    // The answers of one stretch of time.
    struct Answers
    {
        // Each question's wait, in milliseconds, answered or not.
        std::vector<double> waitsMs;
        // Questions the window did not answer within the probe's limit.
        int unanswered = 0;

        size_t Count() const { return waitsMs.size(); }
        double MaxMs() const;
        // The wait that the given share of the questions did not exceed
        // (0.99: the 99th percentile).
        double PercentileMs(double share) const;
    };

    // limitMs: the longest a question waits; the probe gives up on an answer
    // after that and counts it unanswered.
    explicit AnswerTimeProbe(HWND window, DWORD limitMs = 60000, DWORD pauseMs = 5);
    ~AnswerTimeProbe();
    AnswerTimeProbe(const AnswerTimeProbe&) = delete;
    AnswerTimeProbe& operator=(const AnswerTimeProbe&) = delete;

    // The answers since the probe began or since the last call; a question
    // still waiting belongs to the next stretch.
    Answers TakeAnswers();
    // Ends the questions; the answers stay to be taken.
    void Stop();

private:
    void Ask();
    void AskUntilStopped();

    HWND m_window;
    DWORD m_limitMs;
    DWORD m_pauseMs;
    std::mutex m_lock;
    Answers m_answers;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_finished{false};
    std::thread m_thread;
};
