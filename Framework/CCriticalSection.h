#pragma once
#include <windows.h>

// A critical section that lives as long as its owner.
class CCriticalSection
{
public:
    explicit CCriticalSection(DWORD spinCount = 0) { ::InitializeCriticalSectionAndSpinCount(&m_cs, spinCount); }
    ~CCriticalSection() { ::DeleteCriticalSection(&m_cs); }
    CCriticalSection(const CCriticalSection&) = delete;
    CCriticalSection& operator=(const CCriticalSection&) = delete;

    void Enter() { ::EnterCriticalSection(&m_cs); }
    void Leave() { ::LeaveCriticalSection(&m_cs); }

private:
    CRITICAL_SECTION m_cs;
};

// Enters a critical section for one scope.
class CCriticalSectionLock
{
public:
    explicit CCriticalSectionLock(CCriticalSection& cs) : m_cs(cs) { m_cs.Enter(); }
    ~CCriticalSectionLock() { m_cs.Leave(); }
    CCriticalSectionLock(const CCriticalSectionLock&) = delete;
    CCriticalSectionLock& operator=(const CCriticalSectionLock&) = delete;

private:
    CCriticalSection& m_cs;
};
