// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "Complaints.h"

#include <cstdio>

void Complaints::raise(const QString &key, const QString &message)
{
    if (m_active.contains(key))
        return;
    m_active.insert(key);
    std::fprintf(stderr, "tethra-rigctl: %s\n", qUtf8Printable(message));
    std::fflush(stderr);
}

void Complaints::clear(const QString &key)
{
    m_active.remove(key);
}

bool Complaints::isRaised(const QString &key) const
{
    return m_active.contains(key);
}
