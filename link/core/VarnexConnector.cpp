// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "VarnexConnector.h"

#include "Status.h"

namespace tethra {

std::int32_t VarnexConnector::create(basTethra &module, std::unique_ptr<VarnexConnector> &out)
{
    out.reset();
    const std::int32_t result = module.addConnector();
    if (result == status::ok)
        out.reset(new VarnexConnector(module));
    return result;
}

VarnexConnector::~VarnexConnector()
{
    m_module.removeConnector();
}

} // namespace tethra
