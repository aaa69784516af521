// The library's entry point and its two exports. The library keeps no
// application object: nothing reads one, and the loader's attach needs no
// work of ours.
#include <windows.h>

#include <new>

#include "Engine/CTolvEngineInterface.h"
#include "Engine/EngineExports.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
        ::DisableThreadLibraryCalls(instance);
    return TRUE;
}

extern "C" __cdecl CAbstractTolvEngineInterface* Create()
{
    return new (std::nothrow) CTolvEngineInterface();
}

extern "C" __cdecl void Release(CAbstractTolvEngineInterface* engine)
{
    delete engine;
}
