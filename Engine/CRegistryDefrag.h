#pragma once
#include "Framework/CCriticalSection.h"

// Analyses and compacts the registry hives. (Filled in with the compaction work.)
class CRegistryDefrag
{
public:
    CRegistryDefrag() : m_lock(0x80000400) {}

private:
    CCriticalSection m_lock;
};
