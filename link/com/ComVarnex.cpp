// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "ComVarnex.h"

#include "Guid.h"
#include "MemberCatalogue.h"
#include "ServerLifetime.h"
#include "TypeLibraries.h"

#include <algorithm>
#include <vector>

namespace tethra::com {
namespace {

// The COM objects alive now. An orphaned object and the one that replaced it may both be.
std::vector<ComVarnex *> &liveObjects()
{
    static std::vector<ComVarnex *> objects;
    return objects;
}

bool isVarnexInterface(REFIID riid)
{
    const auto ids = catalogue::varnexInterfaceIds();
    return std::any_of(ids.begin(), ids.end(), [&](std::string_view id) { return riid == guidFromText(id); });
}

const IID &varnexIid()
{
    static const IID iid = guidFromText(catalogue::varnexInterfaceId);
    return iid;
}

} // namespace

ComVarnex *ComVarnex::forObject(const std::shared_ptr<Varnex> &varnex)
{
    if (!varnex)
        return nullptr;
    for (ComVarnex *object : liveObjects()) {
        if (object->m_varnex == varnex) {
            object->AddRef();
            return object;
        }
    }
    return new ComVarnex(varnex);
}

ComVarnex::ComVarnex(std::shared_ptr<Varnex> varnex) : m_varnex(std::move(varnex))
{
    for (std::string_view id : catalogue::eventInterfaceIds())
        m_points.push_back(std::make_unique<ConnectionPoint>(*this, *m_varnex, guidFromText(id)));
    // The standard change notification, as property-bound clients expect it; the published
    // library's coclass still names only the event interface as its source.
    m_points.push_back(std::make_unique<ConnectionPoint>(*this, *m_varnex, IID_IPropertyNotifySink));
    liveObjects().push_back(this);
    lifetime::hold();
}

ComVarnex::~ComVarnex()
{
    auto &objects = liveObjects();
    objects.erase(std::remove(objects.begin(), objects.end(), this), objects.end());
    lifetime::release();
}

HRESULT STDMETHODCALLTYPE ComVarnex::QueryInterface(REFIID riid, void **object)
{
    if (!object)
        return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDispatch || isVarnexInterface(riid))
        *object = static_cast<_Varnex *>(this);
    else if (riid == IID_IConnectionPointContainer)
        *object = static_cast<IConnectionPointContainer *>(this);
    else {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

ULONG STDMETHODCALLTYPE ComVarnex::AddRef()
{
    return ++m_references;
}

ULONG STDMETHODCALLTYPE ComVarnex::Release()
{
    const ULONG left = --m_references;
    if (left == 0)
        delete this;
    return left;
}

HRESULT STDMETHODCALLTYPE ComVarnex::GetTypeInfoCount(UINT *count)
{
    if (!count)
        return E_POINTER;
    *count = 1;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ComVarnex::GetTypeInfo(UINT index, LCID, ITypeInfo **info)
{
    if (!info)
        return E_POINTER;
    *info = nullptr;
    if (index != 0)
        return DISP_E_BADINDEX;
    ITypeInfo *found = typelibs::interfaceInfo(varnexIid());
    if (!found)
        return TYPE_E_ELEMENTNOTFOUND;
    found->AddRef();
    *info = found;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ComVarnex::GetIDsOfNames(REFIID, LPOLESTR *names, UINT count, LCID, DISPID *ids)
{
    ITypeInfo *info = typelibs::interfaceInfo(varnexIid());
    return info ? DispGetIDsOfNames(info, names, count, ids) : TYPE_E_ELEMENTNOTFOUND;
}

HRESULT STDMETHODCALLTYPE ComVarnex::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS *parameters,
                                            VARIANT *result, EXCEPINFO *exception, UINT *argumentError)
{
    ITypeInfo *info = typelibs::interfaceInfo(varnexIid());
    if (!info)
        return TYPE_E_ELEMENTNOTFOUND;
    return DispInvoke(static_cast<_Varnex *>(this), info, id, flags, parameters, result, exception, argumentError);
}

HRESULT STDMETHODCALLTYPE ComVarnex::EnumConnectionPoints(IEnumConnectionPoints **points)
{
    if (points)
        *points = nullptr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE ComVarnex::FindConnectionPoint(REFIID riid, IConnectionPoint **point)
{
    if (!point)
        return E_POINTER;
    for (const auto &candidate : m_points) {
        if (candidate && candidate->iid() == riid) {
            candidate->AddRef();
            *point = candidate.get();
            return S_OK;
        }
    }
    *point = nullptr;
    return CONNECT_E_NOCONNECTION;
}

HRESULT STDMETHODCALLTYPE ComVarnex::SetMonitoring(tetMonitoring *Activity)
{
    if (!Activity)
        return E_POINTER;
    return call("SetMonitoring", {number(*Activity)});
}

std::u16string ComVarnex::text(BSTR value)
{
    // A null BSTR is the empty string.
    return value ? std::u16string(reinterpret_cast<const char16_t *>(value), SysStringLen(value)) : std::u16string();
}

HRESULT ComVarnex::readString(std::string_view field, BSTR *value)
{
    if (!value)
        return E_POINTER;
    *value = nullptr;
    Value stored;
    const HRESULT hr = m_varnex->get(field, stored);
    if (FAILED(hr))
        return hr;
    const auto &textValue = std::get<std::u16string>(stored);
    *value =
        SysAllocStringLen(reinterpret_cast<const OLECHAR *>(textValue.data()), static_cast<UINT>(textValue.size()));
    return *value ? S_OK : E_OUTOFMEMORY;
}

HRESULT ComVarnex::write(std::string_view field, Value value)
{
    return m_varnex->set(field, value);
}

HRESULT ComVarnex::call(std::string_view command, std::initializer_list<Value> arguments)
{
    return m_varnex->call(command, std::span<const Value>(arguments.begin(), arguments.size()));
}

} // namespace tethra::com
