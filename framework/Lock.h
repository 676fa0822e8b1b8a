#pragma once
// A critical section, and holding one for a scope: for state that objects on
// several threads share (a program may have windows on more than one).

#include <windows.h>

namespace fw {

class CriticalSection {
public:
    CriticalSection() { ::InitializeCriticalSection(&m_section); }
    ~CriticalSection() { ::DeleteCriticalSection(&m_section); }
    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;

    void Enter() { ::EnterCriticalSection(&m_section); }
    void Leave() { ::LeaveCriticalSection(&m_section); }

private:
    CRITICAL_SECTION m_section;
};

class Locked {
public:
    explicit Locked(CriticalSection& lock) : m_lock(lock) { m_lock.Enter(); }
    ~Locked() { m_lock.Leave(); }
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;

private:
    CriticalSection& m_lock;
};

}  // namespace fw
