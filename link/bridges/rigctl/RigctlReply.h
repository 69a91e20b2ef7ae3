// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// One answer of rigctld in its extended response protocol: the echoed command line, any
// "Key: Value" lines, and the closing "RPRT n" status. A reply that never came (connection
// lost or refused) is marked unanswered so callers can tell it from a radio's refusal.
#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

struct RigctlReply {
    bool answered = false;
    int code = 0; // Hamlib status: 0 is success, negative values are Hamlib error codes
    QList<QPair<QString, QString>> fields;

    bool ok() const { return answered && code == 0; }
    // Value of the first line with this key, empty when absent.
    QString value(const QString &key) const;
    // "RPRT -11 (feature not available)" or "no answer"; for messages.
    QString describe() const;

    // Lines of one answer, the closing "RPRT n" line last.
    static RigctlReply parse(const QStringList &lines);
    static RigctlReply unanswered();
};
