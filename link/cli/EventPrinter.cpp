// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "EventPrinter.h"

#include <QDateTime>

#include <cstdio>

void EventPrinter::print(const QDBusMessage &event)
{
    const QString stamp = QDateTime::currentDateTime().toString(Qt::ISODateWithMs);
    std::printf("%s %s\n", qPrintable(stamp), qPrintable(event.member()));
    std::fflush(stdout);
}
