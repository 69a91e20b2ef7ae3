// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The serial line adapter: carries out the station's line actions on the port MSComm1
// (bytes written in order, input dropped, the settle and reply timers) and reports what
// the line does: every byte received, a timer run out, the port failing under its user.
// It decides nothing; the station does. UI thread only, nothing waits but the bounded
// settle spin of at most a few hundred microseconds.
#pragma once

#include "LineAction.h"

#include <QObject>
#include <QTimer>
#include <string>

namespace tovana {

class CommPort;

class SerialLine : public QObject {
    Q_OBJECT
public:
    explicit SerialLine(CommPort *port, QObject *parent = nullptr);

    // False when a write failed: the port is then closed, and failed() says why.
    bool carryOut(const station::LineActions &actions);

signals:
    void bytesReceived(const std::string &bytes);
    void settleElapsed();
    void replyTimeout();
    // The open port failed (device gone, I/O error, a write refused); it is closed now.
    void failed(const QString &reason);

private:
    CommPort *m_port;
    QTimer m_settle;
    QTimer m_patience;
};

} // namespace tovana
