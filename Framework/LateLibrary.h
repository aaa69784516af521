#pragma once
#include <windows.h>

#include <atomic>

// A system library that the program loads the first time it calls into it,
// not at its start: each library left out of the import table is one less
// for every start to map and initialise. The library stays loaded until the
// process ends, as an imported one would.
//
// The linker's own delay-load import libraries are not used for this: the
// ones the i686 toolchain makes jump to address 0 on their first call.
class LateLibrary
{
public:
    constexpr explicit LateLibrary(const char* name) : m_name(name) {}

    LateLibrary(const LateLibrary&) = delete;
    LateLibrary& operator=(const LateLibrary&) = delete;

    // The address of an export, loading the library first when needed;
    // nullptr, with the thread's last error set, when the library cannot be
    // loaded or does not export the name.
    FARPROC Find(const char* function);

private:
    HMODULE Module();

    const char* const m_name;
    // Set once; two threads that load at the same time only add a
    // reference each, which the loader keeps for the process's life anyway.
    std::atomic<HMODULE> m_module{nullptr};
};

// One export of a LateLibrary, found on its first call and kept. Function is
// the export's pointer type as its header declares it (decltype(&::Name)),
// calling convention included.
template <class Function>
class LateFunction
{
public:
    constexpr LateFunction(LateLibrary& library, const char* name) : m_library(library), m_name(name) {}

    LateFunction(const LateFunction&) = delete;
    LateFunction& operator=(const LateFunction&) = delete;

    // nullptr, with the thread's last error set, when it cannot be found.
    Function Get()
    {
        void* found = m_address.load(std::memory_order_acquire);
        if (!found)
        {
            found = reinterpret_cast<void*>(m_library.Find(m_name));
            m_address.store(found, std::memory_order_release);
        }
        return reinterpret_cast<Function>(found);
    }

private:
    LateLibrary& m_library;
    const char* const m_name;
    std::atomic<void*> m_address{nullptr};
};
