// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The monitor's link to the link server through COM. A thread of its own, in an apartment of
// its own, makes every COM call: it creates a VarnexConnector (COM starts Tethra.exe), holds it
// and its Varnex, subscribes to IPropertyNotifySink and reads Band and PTT, so the calling
// thread never waits for the server. A read unanswered within the call limit fails (a hung
// server; the hold stays); a server gone is told by lost() (once for each new reason) and
// connected to again, with a growing delay. Handlers run on the thread that made the
// ComLink, from its message loop.
#pragma once

#include "ThreadQueue.h"

#include <windows.h>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace tovana::win32 {

class ComLink {
public:
    enum class Field { Band, PTT };

    struct Handlers {
        // A connector and its Varnex are held (perhaps a new object, at its defaults).
        std::function<void()> connected;
        // Nothing is held: the server could not be reached or went away. Tried again later;
        // told again only when the reason changes.
        std::function<void(const std::string &reason)> lost;
        // The server announced a change of the field: its value as read right after.
        std::function<void(Field, std::int32_t value)> changed;
        // The answer to read(): the value, or nothing and why.
        std::function<void(Field, std::optional<std::int32_t> value, const std::string &error)> read;
    };

    struct Options {
        bool subscribe = true; // off: no announcements, reads only
        UINT callLimitMs = 1000;
        // After a failed connection the next is tried after the first delay, doubled each
        // time up to the last.
        UINT firstRetryMs = 250;
        UINT lastRetryMs = 4000;
    };

    explicit ComLink(Handlers handlers) : ComLink(std::move(handlers), Options()) {}
    ComLink(Handlers handlers, Options options);
    // Lets go of what is held. A thread stuck in a call to a hung server is waited for up to
    // the call limit, then left to end with its call or the process.
    ~ComLink();
    ComLink(const ComLink &) = delete;
    ComLink &operator=(const ComLink &) = delete;

    // Starts the link's thread, which connects at once; false with the reason when no thread.
    bool start(std::string *error = nullptr);
    // Asks for one read of the field, answered exactly once through read(), within the call
    // limit. False, asking nothing, while an earlier read of that field is still unanswered.
    bool read(Field field);
    bool isConnected() const { return m_connected; }

private:
    class Worker;
    // One field's reads: the caller's, answered within the limit, and the link thread's,
    // which a hung server holds up; a late answer of the latter serves the next of the former.
    struct Reading {
        bool unanswered = false;
        unsigned serial = 0;
        bool asked = false;
    };

    void answer(Field field, std::optional<std::int32_t> value, const std::string &error);

    Handlers m_handlers;
    Options m_options;
    ThreadQueue m_handlerThread;
    Worker *m_worker = nullptr; // owned; see ~ComLink
    bool m_connected = false;
    std::array<Reading, 2> m_reading{};
};

} // namespace tovana::win32
