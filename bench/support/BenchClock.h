#pragma once
#include <windows.h>

// The benchmarks' one clock: the performance counter, read in seconds.
class BenchClock
{
public:
    BenchClock() { Restart(); }

    void Restart() { ::QueryPerformanceCounter(&m_start); }

    double Seconds() const
    {
        LARGE_INTEGER now;
        LARGE_INTEGER frequency;
        ::QueryPerformanceCounter(&now);
        ::QueryPerformanceFrequency(&frequency);
        return static_cast<double>(now.QuadPart - m_start.QuadPart) / static_cast<double>(frequency.QuadPart);
    }

private:
    LARGE_INTEGER m_start;
};
