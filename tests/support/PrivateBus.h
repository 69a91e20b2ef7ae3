// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// PrivateBus: a private dbus-daemon for one test, session-like (with the limits of the
// system's session bus), with the build tree's dbus-services folder as its service directory
// so the built tethra is activated on demand.
// The constructor returns once the daemon accepts connections (check isRunning()); the
// destructor closes the connections made through it and kills the daemon, which ends tethra.
// Limits of the daemon (its <limit> settings, such as "max_match_rules_per_connection") may
// be given to play a bus that refuses a client. A bus made with Changes::Withheld delivers
// no PropertiesChanged signal to anyone, as if the server sent none.
#pragma once

#include <QDBusConnection>
#include <QMap>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <QTemporaryDir>

class PrivateBus {
public:
    enum class Changes { Delivered, Withheld };
    explicit PrivateBus(const QMap<QString, int> &limits = {}, Changes changes = Changes::Delivered);
    explicit PrivateBus(Changes changes) : PrivateBus({}, changes) {}
    ~PrivateBus();
    PrivateBus(const PrivateBus &) = delete;
    PrivateBus &operator=(const PrivateBus &) = delete;

    bool isRunning() const { return !m_address.isEmpty(); }
    QString address() const { return m_address; }
    // A new connection to the bus under a name unique within this process.
    QDBusConnection connect(const QString &name) const;
    // The system environment with DBUS_SESSION_BUS_ADDRESS pointing at this bus.
    QProcessEnvironment environment() const;

private:
    QTemporaryDir m_dir;
    QProcess m_daemon;
    QString m_address;
    mutable QStringList m_connectionNames;
};
