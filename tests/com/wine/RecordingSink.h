// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// An event sink for the tests: answers QueryInterface for one event-interface identifier,
// records the DISPID of every Invoke, and answers each with a chosen status.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <vector>

namespace wine_tests {

class RecordingSink final : public IDispatch {
public:
    RecordingSink(const IID &iid, HRESULT answer) : m_iid(iid), m_answer(answer) {}

    const std::vector<DISPID> &received() const { return m_received; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return ++m_references; }
    ULONG STDMETHODCALLTYPE Release() override { return --m_references; } // lives on the test's stack
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT *count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo **info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR *, UINT, LCID, DISPID *) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS *, VARIANT *, EXCEPINFO *,
                                     UINT *) override;

    ULONG references() const { return m_references; }

private:
    IID m_iid;
    HRESULT m_answer;
    ULONG m_references = 1;
    std::vector<DISPID> m_received;
};

} // namespace wine_tests
