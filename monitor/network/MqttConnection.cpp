// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "MqttConnection.h"

#include "PasswordFile.h"
#include "StationTopics.h"

#include <QFile>
#include <QSocketNotifier>
#include <QThread>

#include <mosquitto.h>

#include <cerrno>
#include <cstring>
#include <memory>

namespace tovana::network {

namespace {

constexpr int kKeepAliveSeconds = 30;
constexpr int kQos = 1;
constexpr int kHousekeepingMs = 1000;
constexpr int kFirstRetryMs = 1000;
constexpr int kLastRetryMs = 60000;
constexpr int kStopDeadlineMs = 3000;
// For TLS without a CA file of the user's: the certificates the system trusts.
constexpr const char *kSystemCaPath = "/etc/ssl/certs";

void initialiseLibrary()
{
    // Once per process; the library is never cleaned up, as the process ends with it.
    static const int initialised = mosquitto_lib_init();
    (void)initialised;
}

// The library's words for a failure, without their full stop, so they fit within a line.
QString libraryError(int rc, int error)
{
    QString text = QString::fromLocal8Bit(rc == MOSQ_ERR_ERRNO ? std::strerror(error) : mosquitto_strerror(rc));
    if (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    return text;
}

} // namespace

MqttConnection::MqttConnection(const NetworkSettings &settings, const QString &clientId, QObject *parent)
    : QObject(parent)
    , m_settings(settings)
    , m_clientId(clientId)
    , m_retryDelayMs(kFirstRetryMs)
{
    initialiseLibrary();
    m_housekeeping.setInterval(kHousekeepingMs);
    connect(&m_housekeeping, &QTimer::timeout, this, [this] { afterLoopCall(mosquitto_loop_misc(m_mosq)); });
    m_retry.setSingleShot(true);
    connect(&m_retry, &QTimer::timeout, this, &MqttConnection::attempt);
    m_stopDeadline.setSingleShot(true);
    m_stopDeadline.setInterval(kStopDeadlineMs);
    connect(&m_stopDeadline, &QTimer::timeout, this, &MqttConnection::finishStop);
}

MqttConnection::~MqttConnection()
{
    // A connect call in flight holds the library's handle; it ends within the system's
    // name lookup time at worst.
    if (m_connectCall) {
        m_connectCall->wait();
        delete m_connectCall;
    }
    unwatchSocket();
    if (m_mosq)
        mosquitto_destroy(m_mosq); // closes the socket without a goodbye: the broker sends the will
}

QString MqttConnection::availabilityTopic() const
{
    return topics::availability(QString::fromStdString(m_settings.topicPrefix));
}

QString MqttConnection::brokerName() const
{
    return QStringLiteral("%1:%2").arg(QString::fromStdString(m_settings.brokerHost)).arg(m_settings.brokerPort);
}

void MqttConnection::start()
{
    if (m_state != State::Idle)
        return;
    const QString why = setUp();
    if (!why.isEmpty()) {
        if (m_mosq) {
            mosquitto_destroy(m_mosq);
            m_mosq = nullptr;
        }
        emit problem(why);
        return;
    }
    m_stopRequested = false;
    m_retryDelayMs = kFirstRetryMs;
    attempt();
}

// Makes the library's handle with the login, the will and TLS; an error text when the
// settings cannot work.
QString MqttConnection::setUp()
{
    if (const auto problems = checkNetworkSettings(m_settings); !problems.empty())
        return QString::fromStdString(problems.front());
    QByteArray password;
    if (!m_settings.passwordFile.empty()) {
        const PasswordFileResult read = readPasswordFile(QString::fromStdString(m_settings.passwordFile));
        if (!read.error.isEmpty())
            return read.error;
        password = read.password;
    }

    m_mosq = mosquitto_new(m_clientId.toUtf8().constData(), true, this);
    if (!m_mosq)
        return QStringLiteral("The MQTT client cannot be made: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
    // A command or a reading is one small packet: Nagle's algorithm would hold it back until
    // the broker acknowledged the one before, up to the 40 ms of a delayed acknowledgement.
    mosquitto_int_option(m_mosq, MOSQ_OPT_TCP_NODELAY, 1);
    mosquitto_connect_callback_set(m_mosq, &MqttConnection::onConnect);
    mosquitto_disconnect_callback_set(m_mosq, &MqttConnection::onDisconnect);
    mosquitto_publish_callback_set(m_mosq, &MqttConnection::onPublish);
    mosquitto_message_callback_set(m_mosq, &MqttConnection::onMessage);
    mosquitto_log_callback_set(m_mosq, &MqttConnection::onLog);

    const QByteArray will = availabilityTopic().toUtf8();
    const QByteArray offline = topics::kOffline.toUtf8();
    if (const int rc =
            mosquitto_will_set(m_mosq, will.constData(), int(offline.size()), offline.constData(), kQos, true))
        return QStringLiteral("The will on %1 cannot be set: %2").arg(availabilityTopic(), libraryError(rc, errno));
    if (!m_settings.user.empty()) {
        const int rc = mosquitto_username_pw_set(m_mosq, m_settings.user.c_str(),
                                                 password.isEmpty() ? nullptr : password.constData());
        if (rc)
            return QStringLiteral("The login cannot be set: %1").arg(libraryError(rc, errno));
    }
    if (m_settings.tls) {
        const bool ownCa = !m_settings.caFile.empty();
        const int rc = mosquitto_tls_set(m_mosq, ownCa ? m_settings.caFile.c_str() : nullptr,
                                         ownCa ? nullptr : kSystemCaPath, nullptr, nullptr, nullptr);
        if (rc && ownCa)
            return QStringLiteral("The CA file %1 cannot be read").arg(QString::fromStdString(m_settings.caFile));
        if (rc)
            return QStringLiteral("TLS cannot be set up: %1").arg(libraryError(rc, errno));
    }
    return {};
}

// The connect call resolves the broker's name, which can take seconds on a bad network, so
// it runs on a short-lived thread of its own; nothing else touches the handle meanwhile.
void MqttConnection::attempt()
{
    setState(State::Connecting);
    auto result = std::make_shared<std::pair<int, int>>(MOSQ_ERR_SUCCESS, 0);
    mosquitto *mosq = m_mosq;
    const std::string host = m_settings.brokerHost;
    const int port = m_settings.brokerPort;
    m_connectCall = QThread::create([mosq, host, port, result] {
        result->first = mosquitto_connect_async(mosq, host.c_str(), port, kKeepAliveSeconds);
        result->second = errno;
    });
    connect(m_connectCall, &QThread::finished, this, [this, result] {
        m_connectCall->deleteLater();
        m_connectCall = nullptr;
        connectCallReturned(result->first, result->second);
    });
    m_connectCall->start();
}

void MqttConnection::connectCallReturned(int rc, int error)
{
    if (m_stopRequested) {
        finishStop();
        return;
    }
    if (rc != MOSQ_ERR_SUCCESS) {
        retryLater(QStringLiteral("The broker at %1 cannot be reached: %2").arg(brokerName(), libraryError(rc, error)));
        return;
    }
    watchSocket();
}

void MqttConnection::watchSocket()
{
    const int fd = mosquitto_socket(m_mosq);
    m_readNotifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(m_readNotifier, &QSocketNotifier::activated, this,
            [this] { afterLoopCall(mosquitto_loop_read(m_mosq, 1)); });
    m_writeNotifier = new QSocketNotifier(fd, QSocketNotifier::Write, this);
    connect(m_writeNotifier, &QSocketNotifier::activated, this,
            [this] { afterLoopCall(mosquitto_loop_write(m_mosq, 1)); });
    m_housekeeping.start();
    afterLoopCall(MOSQ_ERR_SUCCESS);
}

void MqttConnection::unwatchSocket()
{
    // The library may already have closed the socket: the notifiers must stop at once.
    for (QSocketNotifier *notifier : {m_readNotifier, m_writeNotifier}) {
        if (notifier) {
            notifier->setEnabled(false);
            notifier->deleteLater();
        }
    }
    m_readNotifier = m_writeNotifier = nullptr;
    m_housekeeping.stop();
}

// After every call into the library: an error has closed the connection (onDisconnect has
// already taken that up), or packets wait for the socket to take them.
void MqttConnection::afterLoopCall(int rc)
{
    if (rc != MOSQ_ERR_SUCCESS && m_readNotifier)
        connectionEnded(rc);
    if (m_writeNotifier)
        m_writeNotifier->setEnabled(mosquitto_want_write(m_mosq));
}

void MqttConnection::onConnect(mosquitto *, void *self, int rc)
{
    auto *connection = static_cast<MqttConnection *>(self);
    if (rc == 0) {
        connection->brokerAccepted();
        return;
    }
    // The broker closes the connection after a refusal; onDisconnect follows and says why.
    connection->m_refusal = QString::fromUtf8(mosquitto_connack_string(rc));
    if (connection->m_refusal.endsWith(QLatin1Char('.')))
        connection->m_refusal.chop(1);
}

void MqttConnection::brokerAccepted()
{
    m_retryDelayMs = kFirstRetryMs;
    // The broker handles one client's packets in order: subscriptions first, so that
    // whoever sees "online" knows its commands are heard.
    for (const QString &filter : std::as_const(m_filters))
        mosquitto_subscribe(m_mosq, nullptr, filter.toUtf8().constData(), kQos);
    const QByteArray online = topics::kOnline.toUtf8();
    mosquitto_publish(m_mosq, nullptr, availabilityTopic().toUtf8().constData(), int(online.size()), online.constData(),
                      kQos, true);
    if (m_stopRequested)
        return; // stop() has a finish on its way
    setState(State::Connected);
    emit connected();
}

// The library says what went wrong in detail (OpenSSL's reason for a refused certificate,
// say) only in its log: the last such line goes with the next problem reported.
void MqttConnection::onLog(mosquitto *, void *self, int level, const char *text)
{
    if (level == MOSQ_LOG_ERR)
        static_cast<MqttConnection *>(self)->m_libraryDetail = QString::fromUtf8(text);
}

void MqttConnection::onDisconnect(mosquitto *, void *self, int rc)
{
    static_cast<MqttConnection *>(self)->connectionEnded(rc);
}

// The socket is closed: by our own goodbye (rc 0) or by a loss.
void MqttConnection::connectionEnded(int rc)
{
    if (!m_readNotifier && m_state != State::Stopping)
        return; // already taken up
    unwatchSocket();
    if (m_state == State::Stopping || m_stopRequested) {
        // Not from inside the library's callback: finishing destroys its handle.
        QMetaObject::invokeMethod(this, &MqttConnection::finishStop, Qt::QueuedConnection);
        return;
    }
    if (!m_refusal.isEmpty()) {
        retryLater(QStringLiteral("The broker at %1 refused the connection: %2").arg(brokerName(), m_refusal));
        m_refusal.clear();
        return;
    }
    const QString how = m_state == State::Connecting ? QStringLiteral("The broker at %1 cannot be reached: %2")
                                                     : QStringLiteral("The connection to the broker at %1 ended: %2");
    retryLater(how.arg(brokerName(), libraryError(rc, errno)));
}

void MqttConnection::retryLater(const QString &why)
{
    const QString detail = m_libraryDetail.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(m_libraryDetail);
    m_libraryDetail.clear();
    emit problem(QStringLiteral("%1%2; trying again in %3 s").arg(why, detail).arg(m_retryDelayMs / 1000));
    setState(State::Waiting);
    m_retry.start(m_retryDelayMs);
    m_retryDelayMs = std::min(2 * m_retryDelayMs, kLastRetryMs);
}

void MqttConnection::stop()
{
    m_stopRequested = true;
    m_retry.stop();
    switch (m_state) {
    case State::Stopping: return; // a finish is on its way
    case State::Idle: break;
    case State::Connecting:
        if (m_connectCall)
            return; // connectCallReturned() finishes
        break;
    case State::Waiting: break;
    case State::Connected: {
        setState(State::Stopping);
        const QByteArray offline = topics::kOffline.toUtf8();
        const int rc = mosquitto_publish(m_mosq, &m_offlineMid, availabilityTopic().toUtf8().constData(),
                                         int(offline.size()), offline.constData(), kQos, true);
        afterLoopCall(MOSQ_ERR_SUCCESS);
        if (rc == MOSQ_ERR_SUCCESS) {
            m_stopDeadline.start();
            return;
        }
        break;
    }
    }
    // Nothing to say goodbye on: stopped() still comes after stop() has returned.
    QMetaObject::invokeMethod(this, &MqttConnection::finishStop, Qt::QueuedConnection);
}

void MqttConnection::onPublish(mosquitto *mosq, void *self, int mid)
{
    auto *connection = static_cast<MqttConnection *>(self);
    if (connection->m_state == State::Stopping && mid == connection->m_offlineMid)
        mosquitto_disconnect(mosq); // onDisconnect follows once the goodbye is sent
}

void MqttConnection::onMessage(mosquitto *, void *self, const mosquitto_message *message)
{
    auto *connection = static_cast<MqttConnection *>(self);
    emit connection->messageReceived(QString::fromUtf8(message->topic),
                                     QByteArray(static_cast<const char *>(message->payload), message->payloadlen),
                                     message->retain);
}

// Once per stop(), however many ways lead here.
void MqttConnection::finishStop()
{
    if (!m_stopRequested)
        return;
    m_stopRequested = false;
    m_stopDeadline.stop();
    m_retry.stop();
    unwatchSocket();
    if (m_mosq) {
        mosquitto_destroy(m_mosq);
        m_mosq = nullptr;
    }
    m_offlineMid = -1;
    setState(State::Idle);
    emit stopped();
}

bool MqttConnection::publish(const QString &topic, const QByteArray &payload, Retain retain)
{
    if (m_state != State::Connected)
        return false;
    const int rc = mosquitto_publish(m_mosq, nullptr, topic.toUtf8().constData(), int(payload.size()),
                                     payload.constData(), kQos, retain == Retain::Yes);
    afterLoopCall(MOSQ_ERR_SUCCESS);
    return rc == MOSQ_ERR_SUCCESS;
}

void MqttConnection::subscribe(const QString &filter)
{
    if (m_filters.contains(filter))
        return;
    m_filters << filter;
    if (m_state == State::Connected) {
        mosquitto_subscribe(m_mosq, nullptr, filter.toUtf8().constData(), kQos);
        afterLoopCall(MOSQ_ERR_SUCCESS);
    }
}

void MqttConnection::setState(State state)
{
    if (state == m_state)
        return;
    m_state = state;
    emit stateChanged(state);
}

} // namespace tovana::network
