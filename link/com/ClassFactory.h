// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The class factory of `VarnexConnector`, the server's only creatable class, registered for
// multiple use. LockServer holds the process like a live object does.
#pragma once

#include "basTethra.h"

#include <unknwn.h>

namespace tethra::com {

class ClassFactory final : public IClassFactory {
public:
    explicit ClassFactory(basTethra &module) : m_module(module) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; } // static lifetime: lives in WinMain
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown *outer, REFIID riid, void **object) override;
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;

private:
    basTethra &m_module;
};

} // namespace tethra::com
