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
    // Enters only when no other thread is inside; true when entered.
    bool TryEnter() { return ::TryEnterCriticalSection(&m_cs) != FALSE; }
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

// Enters a critical section for one scope if no other thread is inside.
class CCriticalSectionTryLock
{
public:
    explicit CCriticalSectionTryLock(CCriticalSection& cs) : m_cs(cs), m_held(cs.TryEnter()) {}
    ~CCriticalSectionTryLock()
    {
        if (m_held)
            m_cs.Leave();
    }
    CCriticalSectionTryLock(const CCriticalSectionTryLock&) = delete;
    CCriticalSectionTryLock& operator=(const CCriticalSectionTryLock&) = delete;

    bool IsHeld() const { return m_held; }

private:
    CCriticalSection& m_cs;
    const bool m_held;
};
