// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// A client of the link server on a private bus, for the tests: raw calls that return the
// reply (or error) so a test sees exactly what a client would, a recorder of the object's
// signals, and a way to run one of the programs against the bus.
#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>
#include <QProcessEnvironment>
#include <QStringList>
#include <QVariant>

#include <functional>

class LinkTestClient {
public:
    explicit LinkTestClient(const QDBusConnection &connection) : m_connection(connection) {}

    QDBusMessage call(const QString &path, const QString &interface, const QString &member,
                      const QVariantList &args = {});
    QDBusMessage createObject(const QString &clsid);
    QString createConnector();                  // path, empty on failure
    QString varnexOf(const QString &connector); // path, empty on failure
    QString connectShared();                    // connector + Varnex, returns the object path
    QVariant get(const QString &object, const QString &name);
    QDBusMessage set(const QString &object, const QString &name, const QVariant &value);
    QDBusMessage command(const QString &object, const QString &name, const QVariantList &args = {});
    QDBusMessage release(const QString &path);
    QString uniqueName() const { return m_connection.baseService(); }
    QDBusConnection connection() const { return m_connection; }

private:
    QDBusConnection m_connection;
    QString m_connector;
};

// Records the events and PropertiesChanged of one object. Once made, nothing is missed.
class EventRecorder : public QObject {
    Q_OBJECT
public:
    EventRecorder(QDBusConnection connection, const QString &objectPath);
    QStringList events;
    QList<QVariantMap> changes;
    QStringList order; // "changed" and event names as they came; a test may add its own marks

public slots:
    void record(const QDBusMessage &event);
    void recordChange(const QDBusMessage &signal);
};

// The UTF-8 of a String property exactly as the server sends it, read with libdbus (Qt's
// D-Bus library drops a leading U+FEFF from every string it receives); empty on any error.
QByteArray rawStringProperty(const QString &busAddress, const QString &object, const QString &name);

struct ProgramResult {
    int exitCode;
    QString out;
    QString err;
};
// Runs a program to its end (30 s at most) in the environment given.
ProgramResult runProgram(const QString &path, const QStringList &args, const QProcessEnvironment &environment);

// Waits, serving events, until the condition holds or the time is up.
bool waitUntil(const std::function<bool()> &condition, int timeoutMs = 10000);

inline const QString connectorClsid = QStringLiteral("{AD389A93-FD1A-11D1-9FFC-8703DD3BB166}");
