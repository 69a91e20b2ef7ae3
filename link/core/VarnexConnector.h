// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// VarnexConnector, the creatable class of the link server: its creation counts it in the
// module (and may fail with overflow), its property hands out the one shared Varnex, and its
// destruction uncounts it. Whoever holds the Varnex may keep it after the connector is gone.
#pragma once

#include "basTethra.h"

#include <cstdint>
#include <memory>

namespace tethra {

class VarnexConnector {
public:
    // Class_Initialize. On failure returns the status and leaves out empty.
    static std::int32_t create(basTethra &module, std::unique_ptr<VarnexConnector> &out);
    ~VarnexConnector(); // Class_Terminate

    VarnexConnector(const VarnexConnector &) = delete;
    VarnexConnector &operator=(const VarnexConnector &) = delete;

    // The shared object, or empty if the module holds none.
    std::shared_ptr<Varnex> varnex() const { return m_module.sharedObject(); }

private:
    explicit VarnexConnector(basTethra &module) : m_module(module) {}

    basTethra &m_module;
};

} // namespace tethra
