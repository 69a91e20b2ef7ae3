// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// One stderr line per problem: a problem is printed when it first appears and stays quiet
// while it persists; once cleared, its next appearance is printed again.
#pragma once

#include <QSet>
#include <QString>

class Complaints {
public:
    void raise(const QString &key, const QString &message);
    void clear(const QString &key);
    bool isRaised(const QString &key) const;

private:
    QSet<QString> m_active;
};
