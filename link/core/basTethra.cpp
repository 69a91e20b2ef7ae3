// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "basTethra.h"

#include "Status.h"

#include <limits>

namespace tethra {

std::int32_t basTethra::addConnector()
{
    if (!m_shared)
        m_shared = std::make_shared<Varnex>();
    if (m_count == std::numeric_limits<std::int16_t>::max())
        return status::overflow;
    ++m_count;
    return status::ok;
}

void basTethra::removeConnector()
{
    if (m_count > 0)
        --m_count;
    if (m_count == 0)
        m_shared.reset();
}

} // namespace tethra
