#include "support/JobProgressProbe.h"

#include <windows.h>

#include <atomic>
#include <thread>

#include "Client/Shell/CAbstractStatus.h"
#include "support/MessagePump.h"

bool ReportProgressWhileWindowThreadBusy(CAbstractStatus& sink, int steps)
{
    std::atomic<bool> reported{false};
    std::thread reporting([&] {
        sink.OnProgress(0);
        for (int i = 0; i < steps; ++i)
            sink.OnProgress(1);
        reported = true;
    });
    ::Sleep(1500);
    const bool reportedMeanwhile = reported;
    // A thread that did wait is let go here, and is then given its time.
    TestPump::PumpUntil([&] { return reported.load(); }, 30000);
    TestPump::PumpMessages(500);
    reporting.join();
    return reportedMeanwhile;
}
