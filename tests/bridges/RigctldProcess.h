// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// A real Hamlib dummy radio for tests: rigctld -m 1 (with PTT through the rig) on a free
// loopback port, which stays the same across stop() and start() so a client can reconnect.
// set()/get() talk to it as a second client, on one connection of their own, in rigctld's
// plain protocol.
#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTcpSocket>

class RigctldProcess {
public:
    RigctldProcess();
    ~RigctldProcess();

    // Starts rigctld and waits until it accepts connections; false if it would not.
    bool start();
    void stop();
    quint16 port() const { return m_port; }

    // Sends one set command ("F 14074000"); true when rigctld answers RPRT 0.
    bool set(const QString &command) const;
    // The answer lines of one query ("m" gives mode and passband), joined by newlines;
    // empty on failure.
    QString get(const QString &command, int lines = 1) const;

private:
    QStringList exchange(const QString &command, int lines) const;

    quint16 m_port;
    QProcess m_process;
    mutable QTcpSocket m_control;
    QTcpSocket m_probe; // the connection that found rigctld ready, held while it runs
};
