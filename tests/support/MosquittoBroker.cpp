// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "MosquittoBroker.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <pwd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>

namespace {

QString sourceDirectory()
{
    return qEnvironmentVariable("TOVANA_SOURCE_DIR");
}

// A port of 127.0.0.1 that nothing listens on now. The broker takes it a moment later; its
// listener sets SO_REUSEADDR, so it can take it again after a kill.
int freePort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return 0;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    int port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    ::close(fd);
    return port;
}

// Run as root, mosquitto changes to the user "mosquitto", who could not read the test's
// files; it stays who it is when told to be that user.
QString currentUserName()
{
    const passwd *entry = ::getpwuid(::geteuid());
    return entry ? QString::fromLocal8Bit(entry->pw_name) : QString();
}

bool run(const QString &program, const QStringList &arguments, QString *output = nullptr)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    const bool finished = process.waitForFinished(30000);
    const QString said = QString::fromLocal8Bit(process.readAll());
    if (output)
        *output = said;
    if (!finished || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        std::fprintf(stderr, "MosquittoBroker: %s failed: %s\n", qPrintable(program), qPrintable(said));
        return false;
    }
    return true;
}

} // namespace

MosquittoBroker::MosquittoBroker(const QList<User> &users, Tls tls)
{
    m_port = freePort();
    const QString passwords = m_dir.filePath(QStringLiteral("passwd"));
    for (const User &user : users) {
        QStringList arguments{QStringLiteral("-b")};
        if (!QFile::exists(passwords))
            arguments << QStringLiteral("-c");
        if (!run(QStringLiteral("mosquitto_passwd"), arguments << passwords << user.name << user.password))
            return;
    }

    QString config =
        QStringLiteral("listener %1 %2\n"
                       "allow_anonymous false\n"
                       "password_file %3\n"
                       "acl_file %4\n"
                       "persistence false\n"
                       "set_tcp_nodelay true\n"
                       "log_dest stderr\n"
                       "log_type all\n"
                       "user %5\n")
            .arg(m_port)
            .arg(host(), passwords, sourceDirectory() + QStringLiteral("/docs/mqtt/tovana.acl"), currentUserName());
    if (tls == Tls::On) {
        if (!run(sourceDirectory() + QStringLiteral("/docs/mqtt/make-test-ca"),
                 {m_dir.filePath(QStringLiteral("certs")), QStringLiteral("localhost"), host()}))
            return;
        config += QStringLiteral("certfile %1\nkeyfile %2\n")
                      .arg(m_dir.filePath(QStringLiteral("certs/server.crt")),
                           m_dir.filePath(QStringLiteral("certs/server.key")));
    }
    QFile file(m_dir.filePath(QStringLiteral("mosquitto.conf")));
    if (!file.open(QIODevice::WriteOnly) || file.write(config.toUtf8()) < 0)
        return;
    file.close();

    m_broker.setProcessChannelMode(QProcess::MergedChannels);
    QObject::connect(&m_broker, &QProcess::readyRead, [this] { m_log += QString::fromLocal8Bit(m_broker.readAll()); });
    start();
}

MosquittoBroker::~MosquittoBroker()
{
    if (m_broker.state() != QProcess::NotRunning) {
        m_broker.terminate();
        if (!m_broker.waitForFinished(5000)) {
            m_broker.kill();
            m_broker.waitForFinished(5000);
        }
    }
}

QString MosquittoBroker::caFile() const
{
    return m_dir.filePath(QStringLiteral("certs/ca.crt"));
}

bool MosquittoBroker::start()
{
    m_listening = false;
    m_broker.start(QStringLiteral("mosquitto"),
                   {QStringLiteral("-c"), m_dir.filePath(QStringLiteral("mosquitto.conf"))});
    // It says so once its listener is open.
    const QDeadlineTimer deadline(30000);
    const qsizetype from = m_log.size();
    while (!deadline.hasExpired() && m_broker.state() != QProcess::NotRunning) {
        if (m_log.indexOf(QLatin1String(" running"), from) >= 0) {
            m_listening = true;
            return true;
        }
        m_broker.waitForReadyRead(int(deadline.remainingTime()));
    }
    std::fprintf(stderr, "MosquittoBroker: mosquitto did not start:\n%s\n", qPrintable(m_log));
    return false;
}

void MosquittoBroker::kill()
{
    m_broker.kill();
    m_broker.waitForFinished(5000);
    m_listening = false;
}

MqttClient::MqttClient(const MosquittoBroker &broker, const QString &user, const QString &password)
    : m_broker(broker)
    , m_user(user)
    , m_password(password)
{
    QObject::connect(&m_sub, &QProcess::readyReadStandardOutput, [this] { readSubscription(); });
}

MqttClient::~MqttClient()
{
    if (m_sub.state() != QProcess::NotRunning) {
        m_sub.kill();
        m_sub.waitForFinished(5000);
    }
}

QStringList MqttClient::loginArguments() const
{
    QStringList arguments{QStringLiteral("-h"), m_broker.host(), QStringLiteral("-p"), QString::number(m_broker.port()),
                          QStringLiteral("-u"), m_user,          QStringLiteral("-P"), m_password};
    if (QFile::exists(m_broker.caFile()))
        arguments << QStringLiteral("--cafile") << m_broker.caFile();
    return arguments;
}

void MqttClient::subscribe(const QString &filter)
{
    // -d tells when the subscription is confirmed; each message comes as one line that the
    // debug lines cannot be taken for, its payload in hex.
    m_sub.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_sub.start(QStringLiteral("mosquitto_sub"), loginArguments()
                                                     << QStringLiteral("-d") << QStringLiteral("-q")
                                                     << QStringLiteral("1") << QStringLiteral("-t") << filter
                                                     << QStringLiteral("-F") << QStringLiteral("=> %t %x"));
}

void MqttClient::readSubscription()
{
    m_pending += m_sub.readAllStandardOutput();
    for (qsizetype end = m_pending.indexOf('\n'); end >= 0; end = m_pending.indexOf('\n')) {
        const QByteArray line = m_pending.left(end);
        m_pending.remove(0, end + 1);
        if (line.startsWith("Subscribed (mid:")) {
            m_subscribed = true;
        } else if (line.startsWith("=> ")) {
            const QList<QByteArray> fields = line.split(' ');
            m_messages.append({QString::fromUtf8(fields.value(1)), QByteArray::fromHex(fields.value(2))});
        }
    }
}

QList<QByteArray> MqttClient::payloads(const QString &topic) const
{
    QList<QByteArray> found;
    for (const auto &[messageTopic, payload] : m_messages) {
        if (messageTopic == topic)
            found << payload;
    }
    return found;
}

bool MqttClient::publish(const QString &topic, const QByteArray &payload, bool retained)
{
    QStringList arguments = loginArguments() << QStringLiteral("-q") << QStringLiteral("1") << QStringLiteral("-t")
                                             << topic << QStringLiteral("-m") << QString::fromUtf8(payload);
    if (retained)
        arguments << QStringLiteral("-r");
    return run(QStringLiteral("mosquitto_pub"), arguments);
}
