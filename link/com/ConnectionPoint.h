// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// One connection point of the shared object, for one identifier: an event interface (the
// current one or an earlier one), whose sinks hear each event through IDispatch::Invoke with
// its DISPID and whose failure comes back to the command's caller; or IPropertyNotifySink,
// whose sinks hear OnChanged with the DISPID of each property whose stored value really
// changed, before the event of the command that stored it; their answers are ignored.
// Lives inside its container: AddRef and Release are the container's.
#pragma once

#include "Varnex.h"

#include <ocidl.h>
#include <olectl.h>
#include <wrl/client.h>

#include <map>
#include <memory>

namespace tethra::com {

class ConnectionPoint : public IConnectionPoint {
public:
    ConnectionPoint(IConnectionPointContainer &container, Varnex &varnex, const IID &iid);
    ~ConnectionPoint();
    ConnectionPoint(const ConnectionPoint &) = delete;
    ConnectionPoint &operator=(const ConnectionPoint &) = delete;

    const IID &iid() const { return m_iid; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID *iid) override;
    HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer **container) override;
    HRESULT STDMETHODCALLTYPE Advise(IUnknown *sink, DWORD *cookie) override;
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override;
    HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections **connections) override;

private:
    class DispatchSink;
    class PropertyNotifySink;

    IConnectionPointContainer &m_container;
    Varnex &m_varnex;
    IID m_iid;
    std::map<DWORD, std::shared_ptr<EventSink>> m_sinks;
};

} // namespace tethra::com
