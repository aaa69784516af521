// An engine whose every scan is incomplete: it reports one finding and the
// note of a category it could not check to the end, as the engine does when
// a scanner fails part-way. Everything else is the engine's own.
#include <windows.h>

#include <new>

#include "Client/Shell/CAbstractStatus.h"
#include "Engine/CTolvEngineInterface.h"
#include "Engine/CTolvEngineProcess.h"
#include "Engine/ScanCategory.h"

namespace
{
class IncompleteScanJob : public CTolvEngineProcess
{
public:
    int Run() override
    {
        if (m_nJobType != kJobScan)
            return CTolvEngineProcess::Run();
        CAbstractStatus* const sink = m_pStatus;
        sink->OnProgress(0);
        sink->SetStatusText("", "S");
        sink->OnItemFound("HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\xacQmIncomplete",
                          kScanStartup, 0, 0);
        sink->SetStatusText("Scan incomplete: Windows Startup Items could not be checked to the end.", "Scanning");
        return FinishJob(sink, kScanIncomplete);
    }
};

class IncompleteScanEngine : public CTolvEngineInterface
{
public:
    CAbstractProcess* CreateEngineProcess() override { return new (std::nothrow) IncompleteScanJob(); }
    CAbstractProcess* CreateEngineProcess2() override { return new (std::nothrow) IncompleteScanJob(); }
};
}

extern "C" __declspec(dllexport) __cdecl CAbstractTolvEngineInterface* Create()
{
    return new (std::nothrow) IncompleteScanEngine();
}

extern "C" __declspec(dllexport) __cdecl void Release(CAbstractTolvEngineInterface* engine)
{
    delete engine;
}
