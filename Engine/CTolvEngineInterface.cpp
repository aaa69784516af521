#include "Engine/CTolvEngineInterface.h"

#include <new>

#include "Engine/CTolvEngineProcess.h"

CAbstractProcess* CTolvEngineInterface::CreateEngineProcess()
{
    return new (std::nothrow) CTolvEngineProcess();
}

void CTolvEngineInterface::DestroyEngineProcess(CAbstractProcess* process)
{
    // Every job object comes from this library. One whose thread would not
    // end in time is never freed (the program is ending): freeing it would
    // pull its members from under that thread.
    CTolvEngineProcess* const job = static_cast<CTolvEngineProcess*>(process);
    if (job && job->PrepareRelease())
        delete job;
}

CAbstractProcess* CTolvEngineInterface::CreateEngineProcess2()
{
    // The scan option is left to the first StartScan, which always sets it.
    return new (std::nothrow) CTolvEngineProcess(0);
}
