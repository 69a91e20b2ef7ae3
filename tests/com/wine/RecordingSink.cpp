// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "RecordingSink.h"

namespace wine_tests {

HRESULT STDMETHODCALLTYPE RecordingSink::QueryInterface(REFIID riid, void **object)
{
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == m_iid) {
        *object = static_cast<IDispatch *>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

HRESULT STDMETHODCALLTYPE RecordingSink::GetTypeInfoCount(UINT *count)
{
    *count = 0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE RecordingSink::GetTypeInfo(UINT, LCID, ITypeInfo **info)
{
    *info = nullptr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE RecordingSink::GetIDsOfNames(REFIID, LPOLESTR *, UINT, LCID, DISPID *)
{
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE RecordingSink::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS *, VARIANT *, EXCEPINFO *,
                                                UINT *)
{
    m_received.push_back(id);
    return m_answer;
}

} // namespace wine_tests
