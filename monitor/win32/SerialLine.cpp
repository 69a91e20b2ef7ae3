// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "SerialLine.h"

#include "Text.h"

#include <algorithm>
#include <cwctype>

namespace tovana::win32 {
namespace {

std::string portName(int port)
{
    return "COM" + std::to_string(port);
}

// The read under way: an OVERLAPPED with an event of its own.
struct Transfer {
    OVERLAPPED overlapped{};
    bool pending = false;

    Transfer() { overlapped.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr); }
    ~Transfer() { CloseHandle(overlapped.hEvent); }
    Transfer(const Transfer &) = delete;
    Transfer &operator=(const Transfer &) = delete;
};

// ReadFile has been asked: true while the read is under way or has just completed (its
// event then says so), false on a failure.
bool started(BOOL done, Transfer &transfer)
{
    transfer.pending = done || GetLastError() == ERROR_IO_PENDING;
    return transfer.pending;
}

} // namespace

SerialLine::SerialLine(Handlers handlers) : m_handlers(std::move(handlers)) {}

SerialLine::~SerialLine()
{
    close();
}

bool SerialLine::open(int port, const std::string &settings)
{
    close();
    m_error.clear();
    const std::string name = portName(port);
    if (port < 1 || port > 255) {
        m_error = name + ": there is no such port; choose COM1 to COM255.";
        return false;
    }
    const std::wstring path = L"\\\\.\\COM" + std::to_wstring(port);
    HANDLE handle = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                FILE_FLAG_OVERLAPPED, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        m_error = code == ERROR_ACCESS_DENIED
                      ? name + ": another program holds " + name + "; close the port there, or choose another port."
                      : name + ": " + systemMessage(code) + ".";
        return false;
    }

    // The settings keep the form the earlier program stored ("19200,n,8,1"); the system's
    // parser is given the parity letter in capitals, which every version of it takes.
    std::wstring definition = widen(settings).value_or(L"?");
    std::transform(definition.begin(), definition.end(), definition.begin(),
                   [](wchar_t c) { return static_cast<wchar_t>(std::towupper(c)); });
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    COMMTIMEOUTS timeouts{}; // all zero: a read waits for the bytes asked, a write for its bytes to go
    std::string failure;
    if (!GetCommState(handle, &dcb))
        failure = name + ": " + systemMessage(GetLastError()) + ".";
    else if (!BuildCommDCBW(definition.c_str(), &dcb))
        failure = name + ": the settings \"" + settings +
                  "\" are not valid (speed,parity,data bits,stop bits; "
                  "for example 19200,n,8,1).";
    else {
        dcb.fBinary = TRUE;
        dcb.fAbortOnError = FALSE; // a framing error must not stop every later transfer
        if (!SetCommState(handle, &dcb) || !SetCommTimeouts(handle, &timeouts))
            failure = name + ": cannot use the settings \"" + settings + "\": " + systemMessage(GetLastError()) + ".";
    }
    if (!failure.empty()) {
        CloseHandle(handle);
        m_error = failure;
        return false;
    }
    PurgeComm(handle, PURGE_RXCLEAR | PURGE_TXCLEAR);

    m_handle = handle;
    m_port = port;
    ++m_opening;
    m_stop = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    m_write = OVERLAPPED{};
    m_write.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    m_ended = false;
    m_thread = CreateThread(nullptr, 0, threadMain, this, 0, nullptr);
    if (!m_thread) {
        m_error = name + ": cannot start its thread: " + systemMessage(GetLastError()) + ".";
        close();
        return false;
    }
    return true;
}

void SerialLine::close()
{
    if (m_thread) {
        SetEvent(m_stop);
        WaitForSingleObject(m_thread, INFINITE);
        CloseHandle(m_thread);
        m_thread = nullptr;
    }
    ++m_opening;
    for (HANDLE *event : {&m_stop, &m_write.hEvent}) {
        if (*event)
            CloseHandle(*event);
        *event = nullptr;
    }
    if (m_handle != INVALID_HANDLE_VALUE)
        CloseHandle(m_handle);
    m_handle = INVALID_HANDLE_VALUE;
    Locked locked(m_lock);
    m_outgoing.clear();
    m_sending.clear();
    m_writing = false;
}

bool SerialLine::write(std::string_view bytes)
{
    if (!isOpen())
        return false;
    // Started here rather than by the line's thread: under Wine, waking that thread for
    // every write cost a tenth of the acquisition cycles.
    std::string failure;
    Locked locked(m_lock);
    m_outgoing.append(bytes);
    if (!startWrite(&failure))
        fail(portName(m_port) + ": " + failure + ".");
    return true;
}

bool SerialLine::startWrite(std::string *failure)
{
    if (m_ended || m_writing || m_outgoing.empty())
        return true;
    m_sending.swap(m_outgoing); // m_sending was empty
    if (!WriteFile(m_handle, m_sending.data(), static_cast<DWORD>(m_sending.size()), nullptr, &m_write) &&
        GetLastError() != ERROR_IO_PENDING) {
        *failure = systemMessage(GetLastError());
        m_sending.clear();
        return false;
    }
    m_writing = true; // also when done at once: its event is set, and the line's thread takes it
    return true;
}

void SerialLine::finishWrite(std::string *failure)
{
    Locked locked(m_lock);
    DWORD count = 0;
    if (m_writing && !GetOverlappedResult(m_handle, &m_write, &count, FALSE)) {
        *failure = systemMessage(GetLastError());
        return;
    }
    ResetEvent(m_write.hEvent);
    if (!m_writing)
        return;
    if (count < m_sending.size())
        m_outgoing.insert(0, m_sending, count, std::string::npos); // not all taken: the rest goes first
    m_sending.clear();
    m_writing = false;
    startWrite(failure);
}

DWORD WINAPI SerialLine::threadMain(void *line)
{
    static_cast<SerialLine *>(line)->serve();
    return 0;
}

// One read is always under way: of one byte, which waits for the next to arrive, or of
// everything already waiting. Writes end here too.
void SerialLine::serve()
{
    Transfer reading;
    char received[512];
    std::string failure;
    while (failure.empty()) {
        if (!reading.pending) {
            DWORD errors = 0;
            COMSTAT status{};
            DWORD wanted = 1;
            if (ClearCommError(m_handle, &errors, &status) && status.cbInQue > 0)
                wanted = std::min<DWORD>(status.cbInQue, sizeof received);
            if (!started(ReadFile(m_handle, received, wanted, nullptr, &reading.overlapped), reading)) {
                failure = systemMessage(GetLastError());
                break;
            }
        }
        HANDLE events[] = {m_stop, reading.overlapped.hEvent, m_write.hEvent};
        if (WaitForMultipleObjects(3, events, FALSE, INFINITE) == WAIT_FAILED) {
            failure = systemMessage(GetLastError());
            break;
        }
        // Each event is looked at on every pass, so a stream of received bytes cannot hold
        // back the end of a write.
        if (WaitForSingleObject(m_stop, 0) == WAIT_OBJECT_0)
            break;
        if (WaitForSingleObject(reading.overlapped.hEvent, 0) == WAIT_OBJECT_0) {
            reading.pending = false;
            DWORD count = 0;
            if (!GetOverlappedResult(m_handle, &reading.overlapped, &count, FALSE))
                failure = systemMessage(GetLastError());
            else if (count > 0)
                deliver(std::string(received, count));
        }
        if (failure.empty() && WaitForSingleObject(m_write.hEvent, 0) == WAIT_OBJECT_0)
            finishWrite(&failure);
    }
    // Nothing may be under way once the thread ends: the read's buffer lives on its stack,
    // and the write's bytes go with the line.
    CancelIoEx(m_handle, nullptr);
    DWORD ignored = 0;
    if (reading.pending)
        GetOverlappedResult(m_handle, &reading.overlapped, &ignored, TRUE);
    {
        Locked locked(m_lock);
        if (m_writing)
            GetOverlappedResult(m_handle, &m_write, &ignored, TRUE);
        m_writing = false;
        m_ended = true;
    }
    if (!failure.empty())
        fail(portName(m_port) + ": " + failure + ".");
}

void SerialLine::discardInput()
{
    ++m_discards;
    if (m_handle != INVALID_HANDLE_VALUE)
        PurgeComm(m_handle, PURGE_RXCLEAR);
}

void SerialLine::deliver(std::string bytes)
{
    const unsigned opening = m_opening;
    const unsigned discards = m_discards;
    m_handlerThread.post([this, opening, discards, bytes = std::move(bytes)] {
        if (opening == m_opening && discards == m_discards && m_handlers.received)
            m_handlers.received(bytes);
    });
}

void SerialLine::fail(const std::string &message)
{
    const unsigned opening = m_opening;
    m_handlerThread.post([this, opening, message] {
        if (opening != m_opening)
            return;
        close();
        if (m_handlers.failed)
            m_handlers.failed(message);
    });
}

} // namespace tovana::win32
