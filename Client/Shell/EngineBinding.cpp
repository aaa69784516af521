#include "Client/Shell/EngineBinding.h"

#include "Framework/AnsiText.h"

CAbstractTolvEngineInterface* g_pEngine = nullptr;
CModule g_hEngineModule;

namespace EngineBinding
{
namespace
{
template <class Function>
Function FindExport(HMODULE module, const char* name)
{
    return reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}
}

bool Bind(const char* library, DWORD& error)
{
    error = 0;
    g_hEngineModule.Attach(::LoadLibraryA(library));
    if (!g_hEngineModule)
    {
        error = ::GetLastError();
        return false;
    }
    g_pEngine = CallCreate(g_hEngineModule.Get());
    return g_pEngine != nullptr;
}

CAbstractTolvEngineInterface* CallCreate(HMODULE module)
{
    const PFN_ENGINE_CREATE create = FindExport<PFN_ENGINE_CREATE>(module, QM_ENGINE_CREATE);
    return create ? create() : nullptr;
}

void CallRelease(HMODULE module, CAbstractTolvEngineInterface* engine)
{
    const PFN_ENGINE_RELEASE release = FindExport<PFN_ENGINE_RELEASE>(module, QM_ENGINE_RELEASE);
    if (release)
        release(engine);
}

std::string FailureText(DWORD error)
{
    return AnsiText::Format("Module '%s' failed to load.\nError: '%d'", QM_ENGINE_LIBRARY, static_cast<int>(error));
}
}
