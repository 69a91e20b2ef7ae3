// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// tethra-cli watch: one line for each change and each event of the shared object, as text
// or JSON. It keeps a copy of every field, taken once the subscriptions are in place and
// kept up to date by the changes, which the server sends before the event of a command: an
// event's line shows the request fields its command stored, as they were at that event,
// without asking the server again. The first line names the object (and, in JSON, carries
// every value); it comes again after the client connected anew.
#pragma once

#include <QHash>
#include <QObject>
#include <QVariant>

namespace tethra::client {
class LinkClient;
}

namespace tethracli {

class Watch : public QObject {
    Q_OBJECT
public:
    Watch(tethra::client::LinkClient &link, bool json, QObject *parent = nullptr);

private:
    void takeSnapshot();
    void onChanged(const QVariantMap &changed);
    void onEvent(const QString &name);

    tethra::client::LinkClient &m_link;
    bool m_json;
    bool m_ready = false;
    quint64 m_snapshot = 0; // bumped for every snapshot asked for; older answers are stale
    QHash<QString, QVariant> m_values;
};

} // namespace tethracli
