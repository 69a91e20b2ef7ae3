// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "ComLink.h"

#include "Lock.h"
#include "MemberCatalogue.h"
#include "TethraClient.h"
#include "Text.h"

#include <algorithm>

#include <ocidl.h>
#include <olectl.h>
#include <wrl/client.h>

namespace tovana::win32 {
namespace {

using Microsoft::WRL::ComPtr;

// Messages to the link's thread; wParam is the field where there is one.
constexpr UINT kRead = WM_APP + 1;
constexpr UINT kAnnounced = WM_APP + 2;
constexpr UINT kStop = WM_APP + 3;
constexpr UINT_PTR kRetryTimer = 1;
constexpr wchar_t kClassName[] = L"TovanaComLink";

DISPID dispidOf(std::string_view member)
{
    return static_cast<DISPID>(tethra::catalogue::findVarnexMember(member)->dispid);
}

std::size_t indexOf(ComLink::Field field)
{
    return static_cast<std::size_t>(field);
}

// Receives the server's change notifications on the link's thread, and only notes them: the
// value is read once the incoming call has returned.
class ChangeSink final : public IPropertyNotifySink {
public:
    explicit ChangeSink(const HWND &window) : m_window(window) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **object) override
    {
        if (!object)
            return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IPropertyNotifySink) {
            *object = static_cast<IPropertyNotifySink *>(this);
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; } // lives as long as the link's thread
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    HRESULT STDMETHODCALLTYPE OnChanged(DISPID id) override
    {
        static const DISPID band = dispidOf("Band");
        static const DISPID ptt = dispidOf("PTT");
        if (id == band)
            PostMessageW(m_window, kAnnounced, indexOf(ComLink::Field::Band), 0);
        else if (id == ptt)
            PostMessageW(m_window, kAnnounced, indexOf(ComLink::Field::PTT), 0);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnRequestEdit(DISPID) override { return S_OK; }

private:
    const HWND &m_window;
};

} // namespace

// Everything that runs on the link's thread. start(), ask() and stop() are for the thread
// that made the ComLink. A worker stopped while stuck in a call deletes itself when it ends.
class ComLink::Worker {
public:
    explicit Worker(ComLink &link)
        : m_link(&link)
        , m_options(link.m_options)
        , m_sink(m_window)
        , m_retryMs(link.m_options.firstRetryMs)
    {}

    bool start(std::string *error);
    void ask(Field field) { PostMessageW(m_window, kRead, indexOf(field), 0); }
    // Tells the link nothing more and ends the thread: true when it ended within waitMs (the
    // caller deletes the worker), false when it is left to end by itself.
    bool stop(DWORD waitMs);

private:
    static DWORD WINAPI threadMain(void *worker);
    static LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void run();
    void connect();
    void read(Field field, bool announced);
    void lose(const std::string &reason);
    void letGo();
    void tell(std::function<void(ComLink &)> deliver);

    Lock m_lock;
    ComLink *m_link;       // under m_lock; null once stopped
    bool m_orphan = false; // under m_lock
    bool m_finished = false;
    const Options m_options;
    HANDLE m_thread = nullptr;
    HANDLE m_ready = nullptr;
    std::string m_startError;
    HWND m_window = nullptr;
    ChangeSink m_sink;
    ComPtr<_VarnexConnector> m_connector;
    ComPtr<_Varnex> m_varnex;
    ComPtr<IConnectionPoint> m_changes;
    DWORD m_cookie = 0;
    UINT m_retryMs;
    std::string m_lossTold; // the reason lost() was last given, until connected again
};

bool ComLink::Worker::start(std::string *error)
{
    m_ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    m_thread = m_ready ? CreateThread(nullptr, 0, threadMain, this, 0, nullptr) : nullptr;
    if (!m_thread)
        m_startError = "cannot start the link's thread: " + systemMessage(GetLastError());
    else
        WaitForSingleObject(m_ready, INFINITE); // until it has its apartment and window; it connects after
    if (!m_window && error)
        *error = m_startError;
    return m_window != nullptr;
}

bool ComLink::Worker::stop(DWORD waitMs)
{
    {
        Locked locked(m_lock);
        m_link = nullptr;
    }
    if (m_thread) {
        PostMessageW(m_window, kStop, 0, 0);
        if (WaitForSingleObject(m_thread, waitMs) != WAIT_OBJECT_0) {
            Locked locked(m_lock);
            if (!m_finished) {
                m_orphan = true;
                return false;
            }
        }
        WaitForSingleObject(m_thread, INFINITE); // finished: only returning now
        CloseHandle(m_thread);
        m_thread = nullptr;
    }
    if (m_ready)
        CloseHandle(m_ready);
    m_ready = nullptr;
    return true;
}

DWORD WINAPI ComLink::Worker::threadMain(void *worker)
{
    static_cast<Worker *>(worker)->run();
    return 0;
}

void ComLink::Worker::run()
{
    const HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    static const bool registered = [] {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = windowProcedure;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = kClassName;
        return RegisterClassExW(&windowClass) != 0;
    }();
    HWND window = nullptr;
    if (FAILED(hr))
        m_startError = "cannot use COM: " + systemMessage(static_cast<DWORD>(hr));
    else if (registered && !(window = CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                                      GetModuleHandleW(nullptr), nullptr)))
        m_startError = "cannot make the link's window: " + systemMessage(GetLastError());
    if (window)
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    m_window = window;
    SetEvent(m_ready);

    if (m_window) {
        connect();
        MSG message;
        while (GetMessageW(&message, nullptr, 0, 0) > 0)
            DispatchMessageW(&message);
    }
    if (SUCCEEDED(hr))
        CoUninitialize();

    bool orphan;
    {
        Locked locked(m_lock);
        m_finished = true;
        orphan = m_orphan;
    }
    if (orphan) {
        CloseHandle(m_thread);
        CloseHandle(m_ready);
        delete this;
    }
}

LRESULT CALLBACK ComLink::Worker::windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto *worker = reinterpret_cast<Worker *>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!worker)
        return DefWindowProcW(window, message, wParam, lParam);
    const auto field = static_cast<Field>(wParam);
    switch (message) {
    case kRead: worker->read(field, false); return 0;
    case kAnnounced: worker->read(field, true); return 0;
    case WM_TIMER:
        KillTimer(window, kRetryTimer);
        worker->connect();
        return 0;
    case kStop:
        KillTimer(window, kRetryTimer);
        worker->letGo();
        DestroyWindow(window);
        PostQuitMessage(0);
        return 0;
    default: return DefWindowProcW(window, message, wParam, lParam);
    }
}

void ComLink::Worker::tell(std::function<void(ComLink &)> deliver)
{
    Locked locked(m_lock);
    if (ComLink *link = m_link)
        link->m_handlerThread.post([link, deliver = std::move(deliver)] { deliver(*link); });
}

void ComLink::Worker::connect()
{
    if (m_varnex)
        return;
    HRESULT hr = tethra::com::client::createConnector(&m_connector);
    if (SUCCEEDED(hr))
        hr = tethra::com::client::readVarnex(m_connector.Get(), &m_varnex);
    if (SUCCEEDED(hr) && m_options.subscribe) {
        ComPtr<IConnectionPointContainer> container;
        hr = m_varnex.As(&container);
        if (SUCCEEDED(hr))
            hr = container->FindConnectionPoint(IID_IPropertyNotifySink, &m_changes);
        if (SUCCEEDED(hr))
            hr = m_changes->Advise(&m_sink, &m_cookie);
        if (FAILED(hr))
            m_changes.Reset();
    }
    if (FAILED(hr)) {
        lose("cannot reach the link server: " + systemMessage(static_cast<DWORD>(hr)));
        return;
    }
    m_retryMs = m_options.firstRetryMs;
    m_lossTold.clear();
    tell([](ComLink &link) {
        link.m_connected = true;
        if (link.m_handlers.connected)
            link.m_handlers.connected();
    });
}

void ComLink::Worker::read(Field field, bool announced)
{
    LONG value = 0;
    HRESULT hr = E_FAIL;
    if (m_varnex)
        hr = field == Field::Band ? tethra::com::client::readBand(m_varnex.Get(), &value) : m_varnex->get_PTT(&value);
    std::optional<std::int32_t> read;
    std::string why;
    if (SUCCEEDED(hr))
        read = static_cast<std::int32_t>(value);
    else
        why = m_varnex ? "the link server went away: " + systemMessage(static_cast<DWORD>(hr))
                       : "not connected to the link server";
    if (!announced)
        tell([field, read, why](ComLink &link) { link.answer(field, read, why); });
    else if (read)
        tell([field, read](ComLink &link) {
            if (link.m_handlers.changed)
                link.m_handlers.changed(field, *read);
        });
    // The reads of a property fail only when the objects are gone.
    if (m_varnex && FAILED(hr))
        lose(why);
}

void ComLink::Worker::lose(const std::string &reason)
{
    letGo();
    if (reason != m_lossTold) {
        m_lossTold = reason;
        tell([reason](ComLink &link) {
            link.m_connected = false;
            if (link.m_handlers.lost)
                link.m_handlers.lost(reason);
        });
    }
    SetTimer(m_window, kRetryTimer, m_retryMs, nullptr);
    m_retryMs = std::min(m_retryMs * 2, m_options.lastRetryMs);
}

void ComLink::Worker::letGo()
{
    if (m_changes)
        m_changes->Unadvise(m_cookie);
    m_changes.Reset();
    m_varnex.Reset();
    m_connector.Reset();
}

ComLink::ComLink(Handlers handlers, Options options) : m_handlers(std::move(handlers)), m_options(options) {}

ComLink::~ComLink()
{
    if (m_worker && m_worker->stop(m_options.callLimitMs))
        delete m_worker;
}

bool ComLink::start(std::string *error)
{
    if (m_worker)
        return true;
    m_worker = new Worker(*this);
    if (m_worker->start(error))
        return true;
    if (m_worker->stop(INFINITE))
        delete m_worker;
    m_worker = nullptr;
    return false;
}

bool ComLink::read(Field field)
{
    Reading &reading = m_reading[indexOf(field)];
    if (!m_worker || reading.unanswered)
        return false;
    reading.unanswered = true;
    const unsigned serial = ++reading.serial;
    // While the link's thread is still held up by an earlier read, it is not asked again.
    if (!reading.asked) {
        reading.asked = true;
        m_worker->ask(field);
    }
    m_handlerThread.postAfter(m_options.callLimitMs, [this, field, serial] {
        Reading &late = m_reading[indexOf(field)];
        if (!late.unanswered || late.serial != serial)
            return;
        late.unanswered = false;
        if (m_handlers.read)
            m_handlers.read(field, std::nullopt, "the link server does not answer");
    });
    return true;
}

void ComLink::answer(Field field, std::optional<std::int32_t> value, const std::string &error)
{
    Reading &reading = m_reading[indexOf(field)];
    reading.asked = false;
    if (!reading.unanswered)
        return; // its time ran out; the read after it is answered by the next one
    reading.unanswered = false;
    if (m_handlers.read)
        m_handlers.read(field, value, error);
}

} // namespace tovana::win32
