#include "support/AnswerTimeProbe.h"

#include <algorithm>
#include <cmath>

namespace
{
double NowMs()
{
    LARGE_INTEGER now, frequency;
    ::QueryPerformanceCounter(&now);
    ::QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}
}

double AnswerTimeProbe::Answers::MaxMs() const
{
    return waitsMs.empty() ? 0.0 : *std::max_element(waitsMs.begin(), waitsMs.end());
}

double AnswerTimeProbe::Answers::PercentileMs(double share) const
{
    if (waitsMs.empty())
        return 0.0;
    std::vector<double> sorted = waitsMs;
    std::sort(sorted.begin(), sorted.end());
    const double rank = std::ceil(share * static_cast<double>(sorted.size()));
    const size_t index = rank < 1.0 ? 0 : std::min(sorted.size() - 1, static_cast<size_t>(rank) - 1);
    return sorted[index];
}

AnswerTimeProbe::AnswerTimeProbe(HWND window, DWORD limitMs, DWORD pauseMs)
    : m_window(window), m_limitMs(limitMs), m_pauseMs(pauseMs), m_thread([this] { Ask(); })
{
}

AnswerTimeProbe::~AnswerTimeProbe()
{
    Stop();
}

void AnswerTimeProbe::Ask()
{
    AskUntilStopped();
    m_finished = true;
}

void AnswerTimeProbe::AskUntilStopped()
{
    while (!m_stop)
    {
        const double start = NowMs();
        DWORD_PTR answer = 0;
        const bool answered =
            ::SendMessageTimeoutA(m_window, WM_NULL, 0, 0, SMTO_NORMAL, m_limitMs, &answer) != 0;
        const double waited = NowMs() - start;
        {
            std::lock_guard<std::mutex> hold(m_lock);
            m_answers.waitsMs.push_back(waited);
            if (!answered)
                ++m_answers.unanswered;
        }
        if (!answered && !::IsWindow(m_window))
            return;
        ::Sleep(m_pauseMs);
    }
}

AnswerTimeProbe::Answers AnswerTimeProbe::TakeAnswers()
{
    std::lock_guard<std::mutex> hold(m_lock);
    Answers taken;
    std::swap(taken, m_answers);
    return taken;
}

void AnswerTimeProbe::Stop()
{
    m_stop = true;
    if (!m_thread.joinable())
        return;
    // A window of this thread answers the last question only while this
    // thread handles its messages.
    if (::GetWindowThreadProcessId(m_window, nullptr) == ::GetCurrentThreadId())
    {
        while (!m_finished)
        {
            MSG message;
            while (::PeekMessageA(&message, NULL, 0, 0, PM_REMOVE))
            {
                ::TranslateMessage(&message);
                ::DispatchMessageA(&message);
            }
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
        }
    }
    m_thread.join();
}
