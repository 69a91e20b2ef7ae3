// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// Runs functions on the thread that made the queue, in the order posted, from that thread's
// message loop (through a message-only window); post() may be called from any thread and
// never waits, postAfter() from the queue's thread only. Functions still queued when the
// queue goes are dropped, never run; a function may destroy the queue (the rest of its batch
// is then dropped). Made and destroyed on one thread, which must run a message loop; throws
// std::runtime_error if its window cannot be made.
#pragma once

#include "Lock.h"

#include <windows.h>

#include <deque>
#include <functional>
#include <map>
#include <memory>

namespace tovana::win32 {

class ThreadQueue {
public:
    ThreadQueue();
    ~ThreadQueue();
    ThreadQueue(const ThreadQueue &) = delete;
    ThreadQueue &operator=(const ThreadQueue &) = delete;

    void post(std::function<void()> function);
    // Runs the function once, after ms milliseconds or soon after (at once when the system
    // has no timer left).
    void postAfter(UINT ms, std::function<void()> function);

private:
    static LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void runPosted();
    void runTimer(UINT_PTR id);

    HWND m_window = nullptr;
    Lock m_lock;
    std::deque<std::function<void()>> m_posted;
    bool m_wakePosted = false;
    std::map<UINT_PTR, std::function<void()>> m_timers; // the queue's thread only
    UINT_PTR m_nextTimer = 1;
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

} // namespace tovana::win32
