#include "Engine/CTolvEngineInterface.h"

#include <new>

#include "Engine/CTolvEngineProcess.h"

CAbstractProcess* CTolvEngineInterface::CreateEngineProcess()
{
    return new (std::nothrow) CTolvEngineProcess();
}

void CTolvEngineInterface::DestroyEngineProcess(CAbstractProcess* process)
{
    delete process;
}

CAbstractProcess* CTolvEngineInterface::CreateEngineProcess2()
{
    // The scan option is left to the first StartScan, which always sets it.
    return new (std::nothrow) CTolvEngineProcess(0);
}
