// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "Watch.h"

#include "LinkClient.h"
#include "MemberCatalogue.h"
#include "ValueText.h"

#include <QDateTime>
#include <QStringList>

#include <cstdio>

namespace tethracli {
namespace {

const tethra::catalogue::Member *commandOf(const QString &event)
{
    for (const auto &m : tethra::catalogue::varnexMembers())
        if (m.kind == tethra::catalogue::Kind::Method && latin1(m.event) == event)
            return &m;
    return nullptr;
}

QString assignments(const Values &values)
{
    QStringList parts;
    for (const auto &[name, value] : values)
        parts << name + QLatin1Char('=') + quotedPlain(value);
    return parts.join(QLatin1Char(' '));
}

} // namespace

Watch::Watch(tethra::client::LinkClient &link, bool json, QObject *parent) : QObject(parent), m_link(link), m_json(json)
{
    using tethra::client::LinkClient;
    connect(&m_link, &LinkClient::subscribed, this, &Watch::takeSnapshot);
    connect(&m_link, &LinkClient::propertiesChanged, this, &Watch::onChanged);
    connect(&m_link, &LinkClient::event, this, &Watch::onEvent);
    connect(&m_link, &LinkClient::disconnected, this, [this](const QString &reason) {
        m_ready = false;
        std::fprintf(stderr, "tethra-cli: %s; connecting again\n", qPrintable(reason));
        std::fflush(stderr);
    });
    m_link.watchEvents();
    m_link.watchChanges();
}

void Watch::takeSnapshot()
{
    m_ready = false;
    const quint64 snapshot = ++m_snapshot;
    m_link.readAll(this, [this, snapshot](const tethra::client::Reply &reply) {
        if (snapshot != m_snapshot)
            return;
        if (!reply.ok()) {
            std::fprintf(stderr, "tethra-cli: cannot read the object: %s\n", qPrintable(reply.error));
            std::fflush(stderr);
            return;
        }
        // Changes that came before this answer were made before it was given: it has them.
        m_values.clear();
        const QVariantMap all = reply.value.toMap();
        Values ordered;
        for (std::string_view field : tethra::catalogue::fieldOrder()) {
            const QString name = latin1(field);
            m_values.insert(name, all.value(name));
            ordered.append({name, all.value(name)});
        }
        m_ready = true;
        const QString object = m_link.objectPath();
        print(m_json ? record(QStringLiteral("watching"), ordered, {{QStringLiteral("object"), jsonString(object)}})
                     : QStringLiteral("watching %1").arg(object));
    });
}

void Watch::onChanged(const QVariantMap &changed)
{
    if (!m_ready)
        return;
    Values ordered;
    for (std::string_view field : tethra::catalogue::fieldOrder()) {
        const QString name = latin1(field);
        const auto it = changed.constFind(name);
        if (it == changed.cend())
            continue;
        m_values.insert(name, *it);
        ordered.append({name, *it});
    }
    print(m_json ? record(QStringLiteral("change"), ordered)
                 : QStringLiteral("%1 changed %2").arg(isoTime(QDateTime::currentDateTime()), assignments(ordered)));
}

void Watch::onEvent(const QString &name)
{
    if (!m_ready)
        return;
    Values stored;
    if (const auto *command = commandOf(name))
        for (const auto &argument : command->arguments)
            stored.append({latin1(argument.field), m_values.value(latin1(argument.field))});
    if (m_json)
        print(record(QStringLiteral("event"), stored, {{QStringLiteral("event"), jsonString(name)}}));
    else
        print(
            QStringLiteral("%1 %2 %3").arg(isoTime(QDateTime::currentDateTime()), name, assignments(stored)).trimmed());
}

} // namespace tethracli
