#pragma once
#include <atomic>

class CAbstractStatus;

// Writes and reads registry backup files. (Filled in with the backup work.)
class CRegistryManager
{
public:
    explicit CRegistryManager(CAbstractStatus* status) : m_pStatus(status) {}

    // Cleared by the job object's Stop to end a running backup writer early.
    std::atomic<int> m_bGo{0};

private:
    CAbstractStatus* m_pStatus;
};
