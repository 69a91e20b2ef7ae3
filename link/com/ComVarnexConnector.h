// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The COM face of a VarnexConnector: `_VarnexConnector` with its one property `Varnex`,
// which hands out the shared object (the same COM object from every connector). Created
// only by the class factory; its creation and end count it in the module, as the core
// connector does, and it holds the server process while alive.
#pragma once

#include "Tethra_h.h"
#include "VarnexConnector.h"

#include <memory>

namespace tethra::com {

class ComVarnexConnector final : public _VarnexConnector {
public:
    // A new connector with one reference, or the creation's failure (overflow).
    static HRESULT create(basTethra &module, ComVarnexConnector **out);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT *count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID lcid, ITypeInfo **info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR *names, UINT count, LCID lcid, DISPID *ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS *parameters,
                                     VARIANT *result, EXCEPINFO *exception, UINT *argumentError) override;

    HRESULT STDMETHODCALLTYPE get_Varnex(_Varnex **value) override;

private:
    explicit ComVarnexConnector(std::unique_ptr<VarnexConnector> connector);
    ~ComVarnexConnector();

    ULONG m_references = 1;
    std::unique_ptr<VarnexConnector> m_connector;
};

} // namespace tethra::com
