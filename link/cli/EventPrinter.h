// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// EventPrinter: prints each event of the shared object as it arrives, one line each,
// prefixed with the local time to the millisecond.
#pragma once

#include <QDBusMessage>
#include <QObject>

class EventPrinter : public QObject
{
    Q_OBJECT
public slots:
    void print(const QDBusMessage &event);
};
