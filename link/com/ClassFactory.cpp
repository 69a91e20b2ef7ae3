// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "ClassFactory.h"

#include "ComVarnexConnector.h"
#include "ServerLifetime.h"

namespace tethra::com {

HRESULT STDMETHODCALLTYPE ClassFactory::QueryInterface(REFIID riid, void **object)
{
    if (!object)
        return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IClassFactory) {
        *object = static_cast<IClassFactory *>(this);
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

HRESULT STDMETHODCALLTYPE ClassFactory::CreateInstance(IUnknown *outer, REFIID riid, void **object)
{
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (outer)
        return CLASS_E_NOAGGREGATION;
    ComVarnexConnector *connector = nullptr;
    const HRESULT created = ComVarnexConnector::create(m_module, &connector);
    if (FAILED(created))
        return created;
    const HRESULT hr = connector->QueryInterface(riid, object);
    connector->Release();
    return hr;
}

HRESULT STDMETHODCALLTYPE ClassFactory::LockServer(BOOL lock)
{
    if (lock)
        lifetime::hold();
    else
        lifetime::release();
    return S_OK;
}

} // namespace tethra::com
