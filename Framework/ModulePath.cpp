#include "Framework/ModulePath.h"

#include <vector>

namespace ModulePath
{
std::string FileName(HMODULE module)
{
    std::vector<char> buffer(MAX_PATH);
    for (;;)
    {
        const DWORD length = ::GetModuleFileNameA(module, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0)
            return std::string();
        if (length < buffer.size())
            return std::string(buffer.data(), length);
        buffer.resize(buffer.size() * 2);
    }
}

std::string Folder(HMODULE module)
{
    const std::string file = FileName(module);
    const size_t slash = file.find_last_of('\\');
    return slash == std::string::npos ? std::string() : file.substr(0, slash + 1);
}

HMODULE CurrentModule()
{
    HMODULE module = NULL;
    ::GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         reinterpret_cast<LPCSTR>(&CurrentModule), &module);
    return module;
}
}
