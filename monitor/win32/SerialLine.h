// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The station's serial port on Windows: \\.\COM<n>, set up from a settings text such as
// "19200,n,8,1" (parity letter in either case) through BuildCommDCB, with overlapped I/O:
// write() starts the transfer and returns at once (bytes queue behind one under way), a
// thread of its own keeps a read waiting and hands received bytes to received() in order,
// and the first failure under way (device gone, I/O error) closes the line and reaches
// failed() with the system's message. Handlers run on the thread that made the line, from its
// message loop, never inside open(), write() or close(); that thread calls the rest.
#pragma once

#include "Lock.h"
#include "ThreadQueue.h"

#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <string_view>

namespace tovana::win32 {

class SerialLine {
public:
    struct Handlers {
        std::function<void(std::string_view bytes)> received;
        std::function<void(const std::string &message)> failed;
    };

    explicit SerialLine(Handlers handlers);
    ~SerialLine();
    SerialLine(const SerialLine &) = delete;
    SerialLine &operator=(const SerialLine &) = delete;

    // Closes the line if open, then opens port n; false with error() set (one line naming the
    // port and the reason) when the port or its settings were refused.
    bool open(int port, const std::string &settings);
    // Bytes not yet sent are dropped; waits only for the thread to cancel its I/O.
    void close();
    bool isOpen() const { return m_thread != nullptr; }
    // Sends the bytes after any sent before; false when the line is not open.
    bool write(std::string_view bytes);
    // Drops every byte received and not yet handed to received(), the driver's too.
    void discardInput();
    std::string error() const { return m_error; }

private:
    static DWORD WINAPI threadMain(void *line);
    void serve();
    // With m_lock held: starts a write of the queued bytes unless one is under way; false
    // with the system's message when the system refused it.
    bool startWrite(std::string *failure);
    // A write has ended (its event is set): takes its result and starts the next; sets
    // *failure when the system reports one.
    void finishWrite(std::string *failure);
    // Hands bytes or a failure of this opening to the handlers, from any thread.
    void deliver(std::string bytes);
    void fail(const std::string &message);

    Handlers m_handlers;
    ThreadQueue m_handlerThread;
    std::string m_error;
    int m_port = 0;
    unsigned m_opening = 0;               // counts the openings, so nothing of an earlier one is delivered
    std::atomic<unsigned> m_discards = 0; // counts the discards, so nothing received before one is delivered

    HANDLE m_handle = INVALID_HANDLE_VALUE;
    HANDLE m_thread = nullptr;
    HANDLE m_stop = nullptr; // manual reset: the thread ends
    Lock m_lock;
    // Under m_lock: the bytes queued, and the write under way with its bytes.
    std::string m_outgoing;
    std::string m_sending;
    OVERLAPPED m_write{};
    bool m_writing = false;
    bool m_ended = false; // the line's thread has ended: no write is started that none would finish
};

} // namespace tovana::win32
