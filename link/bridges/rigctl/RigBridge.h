// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// Carries a radio's state from rigctld into the link server and the link server's requests
// back to the radio. It polls rigctld on a timer and writes the current-value fields that
// changed; on a request event it reads the request field and sends the matching rigctld
// command. Requests it cannot carry out are reported on stderr and change nothing. Either
// side may come and go: while rigctld is away CAT reads 0, and a new shared object gets
// every field written again.
#pragma once

#include "Complaints.h"

#include <QHash>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QVariant>
#include <functional>
#include <optional>

namespace tethra::client {
class LinkClient;
}
using tethra::client::LinkClient;
class RigctlClient;
struct RigctlReply;

class RigBridge : public QObject {
    Q_OBJECT
public:
    RigBridge(RigctlClient &rig, LinkClient &link, int pollIntervalMs, QObject *parent = nullptr);

    // The link events the bridge acts on.
    static QStringList events();
    void start();

private:
    // What one poll asks of rigctld and who publishes the answer. The frequency goes
    // first: its answer decides CAT and whether other failures are worth a word.
    struct Query {
        const char *command;
        const char *what;
        void (RigBridge::*publish)(const RigctlReply &);
    };
    // A request event, the request field it reads, and the action that carries it out.
    struct Request {
        const char *event;
        const char *field;
        void (RigBridge::*act)(const QVariant &);
    };
    static const Query kQueries[];
    static const Request kRequests[];

    void onRigConnected();
    void onRigDisconnected(const QString &reason);
    void onLinkUp();
    void onLinkDown(const QString &reason);
    void onEvent(const QString &name);
    void poll(std::function<void()> done = {});
    void pollSoon();
    // Writes a field of the shared object, unless the bridge last wrote the same value there.
    // The value's type picks the D-Bus type: int for Long, double for Double, QString for String.
    void publish(const QString &field, const QVariant &value);

    void publishFreq(const RigctlReply &reply);
    void publishMode(const RigctlReply &reply);
    void publishPtt(const RigctlReply &reply);
    void publishVfo(const RigctlReply &reply);
    void publishSplit(const RigctlReply &reply);
    void publishTxFreq(const RigctlReply &reply);
    void publishTransceiver(const RigctlReply &reply);

    void tune(const QVariant &mhz);
    void setMode(const QVariant &code);
    void setPtt(const QVariant &ptt);
    void setVfo(const QVariant &code);
    void setSplit(const QVariant &split);
    void setTxFreq(const QVariant &mhz);
    void selectBand(const QVariant &band);
    void step(const QVariant &khz);
    void tuneToHz(qint64 hz, const QString &what);
    // Sends a request to the radio; false (and a message) when rigctld is not connected.
    bool command(const QString &command, const QString &what);
    void refuse(const QString &what, const QString &why);

    RigctlClient &m_rig;
    LinkClient &m_link;
    QTimer m_pollTimer;
    Complaints m_complaints;
    bool m_radioAnswers = false;
    // Last known radio state, kept to compute steps, split VFOs and TX frequency.
    std::optional<qint64> m_freqHz;
    QString m_mode;
    std::optional<int> m_vfo;
    bool m_split = false;
    QString m_transceiver;
    QHash<QString, QVariant> m_written; // cleared for a new shared object and by Refresh
};
