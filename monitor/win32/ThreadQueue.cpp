// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "ThreadQueue.h"

#include "Text.h"

#include <stdexcept>

namespace tovana::win32 {
namespace {

constexpr UINT kRunPosted = WM_APP + 1;
constexpr wchar_t kClassName[] = L"TovanaThreadQueue";

} // namespace

ThreadQueue::ThreadQueue()
{
    static const bool registered = [] {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = windowProcedure;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = kClassName;
        return RegisterClassExW(&windowClass) != 0;
    }();
    if (registered)
        m_window = CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, GetModuleHandleW(nullptr),
                                   nullptr);
    if (!m_window)
        throw std::runtime_error("cannot make the message window: " + systemMessage(GetLastError()));
    SetWindowLongPtrW(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

ThreadQueue::~ThreadQueue()
{
    *m_alive = false;
    DestroyWindow(m_window);
}

void ThreadQueue::post(std::function<void()> function)
{
    {
        Locked locked(m_lock);
        m_posted.push_back(std::move(function));
        if (m_wakePosted)
            return;
        m_wakePosted = true;
    }
    // One wake-up for every batch, so a busy sender cannot fill the thread's message queue.
    PostMessageW(m_window, kRunPosted, 0, 0);
}

void ThreadQueue::postAfter(UINT ms, std::function<void()> function)
{
    const UINT_PTR id = m_nextTimer++;
    if (SetTimer(m_window, id, ms, nullptr))
        m_timers.emplace(id, std::move(function));
    else
        post(std::move(function)); // early rather than never
}

LRESULT CALLBACK ThreadQueue::windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto *queue = reinterpret_cast<ThreadQueue *>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (queue && message == kRunPosted) {
        queue->runPosted();
        return 0;
    }
    if (queue && message == WM_TIMER) {
        queue->runTimer(wParam);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void ThreadQueue::runTimer(UINT_PTR id)
{
    KillTimer(m_window, id);
    auto it = m_timers.find(id);
    if (it == m_timers.end())
        return;
    const std::function<void()> function = std::move(it->second);
    m_timers.erase(it);
    function(); // may destroy this queue: nothing of it is touched after
}

void ThreadQueue::runPosted()
{
    std::deque<std::function<void()>> batch;
    {
        Locked locked(m_lock);
        batch.swap(m_posted);
        m_wakePosted = false;
    }
    // Only locals from here on: a function may destroy this queue.
    const std::shared_ptr<bool> alive = m_alive;
    for (auto &function : batch) {
        if (!*alive)
            return;
        function();
    }
}

} // namespace tovana::win32
