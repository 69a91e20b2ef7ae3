// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// LinkSession: one client's hold on the link server over the session bus, for the command
// line. open() creates a connector and reads its Varnex (the bus starts the server when
// needed); close() releases both. Every call blocks with the bus's default timeout and
// reports a failure as one readable line in error().
#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QString>
#include <QVariant>

class LinkSession
{
public:
    explicit LinkSession(const QDBusConnection &bus);
    ~LinkSession();

    bool open();
    void close();

    QString objectPath() const { return m_object; }
    QString error() const { return m_error; }

    bool get(const QString &name, QVariant &value);
    bool getAll(QVariantMap &values);
    bool set(const QString &name, const QVariant &value);
    bool call(const QString &command, const QVariantList &arguments);

private:
    bool send(const QString &path, const QString &interface, const QString &member, const QVariantList &arguments,
              QDBusMessage &reply);

    QDBusConnection m_bus;
    QString m_connector;
    QString m_object;
    QString m_error;
};
