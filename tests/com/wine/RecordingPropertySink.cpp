// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "RecordingPropertySink.h"

namespace wine_tests {

HRESULT STDMETHODCALLTYPE RecordingPropertySink::QueryInterface(REFIID riid, void **object)
{
    if (riid == IID_IUnknown || riid == IID_IPropertyNotifySink) {
        *object = static_cast<IPropertyNotifySink *>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

HRESULT STDMETHODCALLTYPE RecordingPropertySink::OnChanged(DISPID id)
{
    m_received.push_back(id);
    return S_OK;
}

} // namespace wine_tests
