#include "Framework/LateLibrary.h"

HMODULE LateLibrary::Module()
{
    HMODULE module = m_module.load(std::memory_order_acquire);
    if (!module)
    {
        module = ::LoadLibraryA(m_name);
        if (module)
            m_module.store(module, std::memory_order_release);
    }
    return module;
}

FARPROC LateLibrary::Find(const char* function)
{
    const HMODULE module = Module();
    if (!module)
    {
        if (::GetLastError() == ERROR_SUCCESS)
            ::SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    const FARPROC address = ::GetProcAddress(module, function);
    if (!address)
        ::SetLastError(ERROR_PROC_NOT_FOUND);
    return address;
}
