// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// A mutual exclusion lock over the system's slim reader/writer lock, and its scope guard:
// the cross compiler's C++ library here has no std::mutex.
#pragma once

#include <windows.h>

namespace tovana::win32 {

class Lock {
public:
    Lock() = default;
    Lock(const Lock &) = delete;
    Lock &operator=(const Lock &) = delete;

    void lock() { AcquireSRWLockExclusive(&m_lock); }
    void unlock() { ReleaseSRWLockExclusive(&m_lock); }

private:
    SRWLOCK m_lock = SRWLOCK_INIT;
};

class Locked {
public:
    explicit Locked(Lock &lock) : m_lock(lock) { m_lock.lock(); }
    ~Locked() { m_lock.unlock(); }
    Locked(const Locked &) = delete;
    Locked &operator=(const Locked &) = delete;

private:
    Lock &m_lock;
};

} // namespace tovana::win32
