#pragma once
#include <windows.h>

#include "Framework/CHandle.h"

// A manual-reset event a job thread can be held on until the test opens it.
class Gate
{
public:
    Gate() : m_event(::CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}
    void Open() { ::SetEvent(m_event.Get()); }
    bool Wait(DWORD ms = 30000) { return ::WaitForSingleObject(m_event.Get(), ms) == WAIT_OBJECT_0; }

private:
    CHandle m_event;
};
