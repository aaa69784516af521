#pragma once

class CAbstractStatus;

// Reports a job's progress to a page (sink) as the engine's job thread does,
// the first call and then steps, from a thread of its own while this thread,
// the page's window thread, is busy elsewhere for 1.5 s. True when every
// report was made meanwhile, that is without waiting for this thread. This
// thread then runs its messages for half a second, so that the page shows
// what it was told.
bool ReportProgressWhileWindowThreadBusy(CAbstractStatus& sink, int steps);
