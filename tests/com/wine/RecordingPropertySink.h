// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// A property change sink for the tests: records the DISPID of every OnChanged.
#pragma once

#include <windows.h>
#include <ocidl.h>

#include <vector>

namespace wine_tests {

class RecordingPropertySink final : public IPropertyNotifySink {
public:
    const std::vector<DISPID> &received() const { return m_received; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return ++m_references; }
    ULONG STDMETHODCALLTYPE Release() override { return --m_references; } // lives on the test's stack
    HRESULT STDMETHODCALLTYPE OnChanged(DISPID id) override;
    HRESULT STDMETHODCALLTYPE OnRequestEdit(DISPID) override { return S_OK; }

    ULONG references() const { return m_references; }

private:
    ULONG m_references = 1;
    std::vector<DISPID> m_received;
};

} // namespace wine_tests
