// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// basTethra, the module state of the link server: the one shared Varnex that every
// connector hands out and the 16-bit count of live connectors. The first connector makes
// the object; the last one to go drops the module's reference, so clients that still hold
// the object keep it (orphaned) and the next connector starts a fresh one.
// Single-threaded, like everything else in the server.
#pragma once

#include "Varnex.h"

#include <cstdint>
#include <memory>

namespace tethra {

class basTethra {
public:
    // A connector's creation: ensures the shared object, then counts the connector.
    // status::overflow beyond 32767 connectors; the count stays, a new object stays stored.
    std::int32_t addConnector();
    // A connector's end: at count 0 the module lets go of the shared object.
    void removeConnector();

    std::shared_ptr<Varnex> sharedObject() const { return m_shared; }
    std::int16_t connectorCount() const { return m_count; }

private:
    std::shared_ptr<Varnex> m_shared;
    std::int16_t m_count = 0;
};

} // namespace tethra
