// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "ConnectionPoint.h"

namespace tethra::com {

using Microsoft::WRL::ComPtr;

// A connected sink as the core sees it. Shared, so that a sink which disconnects itself
// while its event is being delivered stays alive until that delivery returns.
class ConnectionPoint::DispatchSink : public EventSink, public std::enable_shared_from_this<DispatchSink> {
public:
    explicit DispatchSink(ComPtr<IDispatch> target) : m_target(std::move(target)) {}

    std::int32_t raise(const catalogue::Event &event) override
    {
        const auto keep = shared_from_this();
        const ComPtr<IDispatch> target = m_target;
        DISPPARAMS none{};
        return target->Invoke(event.dispid, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &none, nullptr, nullptr,
                              nullptr);
    }

private:
    ComPtr<IDispatch> m_target;
};

// A connected IPropertyNotifySink: told of changes, deaf to events.
class ConnectionPoint::PropertyNotifySink : public EventSink, public std::enable_shared_from_this<PropertyNotifySink> {
public:
    explicit PropertyNotifySink(ComPtr<IPropertyNotifySink> target) : m_target(std::move(target)) {}

    std::int32_t raise(const catalogue::Event &) override { return S_OK; }

    void changed(const Varnex &, std::span<const std::string_view> fields) override
    {
        const auto keep = shared_from_this();
        const ComPtr<IPropertyNotifySink> target = m_target;
        for (std::string_view field : fields)
            target->OnChanged(static_cast<DISPID>(catalogue::findVarnexMember(field)->dispid));
    }

private:
    ComPtr<IPropertyNotifySink> m_target;
};

ConnectionPoint::ConnectionPoint(IConnectionPointContainer &container, Varnex &varnex, const IID &iid)
    : m_container(container)
    , m_varnex(varnex)
    , m_iid(iid)
{}

ConnectionPoint::~ConnectionPoint()
{
    for (const auto &[cookie, sink] : m_sinks)
        m_varnex.disconnect(cookie);
}

HRESULT STDMETHODCALLTYPE ConnectionPoint::QueryInterface(REFIID riid, void **object)
{
    if (!object)
        return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IConnectionPoint) {
        *object = static_cast<IConnectionPoint *>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE ConnectionPoint::AddRef()
{
    return m_container.AddRef();
}

ULONG STDMETHODCALLTYPE ConnectionPoint::Release()
{
    return m_container.Release();
}

HRESULT STDMETHODCALLTYPE ConnectionPoint::GetConnectionInterface(IID *iid)
{
    if (!iid)
        return E_POINTER;
    *iid = m_iid;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer **container)
{
    if (!container)
        return E_POINTER;
    *container = &m_container;
    m_container.AddRef();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ConnectionPoint::Advise(IUnknown *sink, DWORD *cookie)
{
    if (!sink || !cookie)
        return E_POINTER;
    *cookie = 0;
    std::shared_ptr<EventSink> entry;
    if (m_iid == IID_IPropertyNotifySink) {
        ComPtr<IPropertyNotifySink> target;
        if (FAILED(sink->QueryInterface(IID_PPV_ARGS(&target))) || !target)
            return CONNECT_E_CANNOTCONNECT;
        entry = std::make_shared<PropertyNotifySink>(std::move(target));
    } else {
        ComPtr<IDispatch> target;
        if (FAILED(sink->QueryInterface(m_iid, reinterpret_cast<void **>(target.GetAddressOf()))) || !target)
            return CONNECT_E_CANNOTCONNECT;
        entry = std::make_shared<DispatchSink>(std::move(target));
    }
    const DWORD connection = m_varnex.connect(entry.get());
    m_sinks.emplace(connection, std::move(entry));
    *cookie = connection;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ConnectionPoint::Unadvise(DWORD cookie)
{
    auto it = m_sinks.find(cookie);
    if (it == m_sinks.end())
        return CONNECT_E_NOCONNECTION;
    m_varnex.disconnect(cookie);
    m_sinks.erase(it);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ConnectionPoint::EnumConnections(IEnumConnections **connections)
{
    if (connections)
        *connections = nullptr;
    return E_NOTIMPL;
}

} // namespace tethra::com
