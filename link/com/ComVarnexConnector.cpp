// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "ComVarnexConnector.h"

#include "ComVarnex.h"
#include "Guid.h"
#include "MemberCatalogue.h"
#include "ServerLifetime.h"
#include "TypeLibraries.h"

namespace tethra::com {
namespace {

const IID &connectorIid()
{
    static const IID iid = guidFromText(catalogue::connectorInterfaceId);
    return iid;
}

} // namespace

HRESULT ComVarnexConnector::create(basTethra &module, ComVarnexConnector **out)
{
    *out = nullptr;
    std::unique_ptr<VarnexConnector> connector;
    const std::int32_t status = VarnexConnector::create(module, connector);
    if (status != 0)
        return status;
    *out = new ComVarnexConnector(std::move(connector));
    return S_OK;
}

ComVarnexConnector::ComVarnexConnector(std::unique_ptr<VarnexConnector> connector) : m_connector(std::move(connector))
{
    lifetime::hold();
}

ComVarnexConnector::~ComVarnexConnector()
{
    m_connector.reset(); // Class_Terminate before the process may end
    lifetime::release();
}

HRESULT STDMETHODCALLTYPE ComVarnexConnector::QueryInterface(REFIID riid, void **object)
{
    if (!object)
        return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == connectorIid()) {
        *object = static_cast<_VarnexConnector *>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE ComVarnexConnector::AddRef()
{
    return ++m_references;
}

ULONG STDMETHODCALLTYPE ComVarnexConnector::Release()
{
    const ULONG left = --m_references;
    if (left == 0)
        delete this;
    return left;
}

HRESULT STDMETHODCALLTYPE ComVarnexConnector::GetTypeInfoCount(UINT *count)
{
    if (!count)
        return E_POINTER;
    *count = 1;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ComVarnexConnector::GetTypeInfo(UINT index, LCID, ITypeInfo **info)
{
    if (!info)
        return E_POINTER;
    *info = nullptr;
    if (index != 0)
        return DISP_E_BADINDEX;
    ITypeInfo *found = typelibs::interfaceInfo(connectorIid());
    if (!found)
        return TYPE_E_ELEMENTNOTFOUND;
    found->AddRef();
    *info = found;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ComVarnexConnector::GetIDsOfNames(REFIID, LPOLESTR *names, UINT count, LCID, DISPID *ids)
{
    ITypeInfo *info = typelibs::interfaceInfo(connectorIid());
    return info ? DispGetIDsOfNames(info, names, count, ids) : TYPE_E_ELEMENTNOTFOUND;
}

HRESULT STDMETHODCALLTYPE ComVarnexConnector::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS *parameters,
                                                     VARIANT *result, EXCEPINFO *exception, UINT *argumentError)
{
    ITypeInfo *info = typelibs::interfaceInfo(connectorIid());
    if (!info)
        return TYPE_E_ELEMENTNOTFOUND;
    return DispInvoke(static_cast<_VarnexConnector *>(this), info, id, flags, parameters, result, exception,
                      argumentError);
}

HRESULT STDMETHODCALLTYPE ComVarnexConnector::get_Varnex(_Varnex **value)
{
    if (!value)
        return E_POINTER;
    *value = ComVarnex::forObject(m_connector->varnex()); // null when the module holds none
    return S_OK;
}

} // namespace tethra::com
