// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "RigctldProcess.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

namespace {

quint16 freeLoopbackPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

} // namespace

RigctldProcess::RigctldProcess() : m_port(freeLoopbackPort())
{
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
}

RigctldProcess::~RigctldProcess()
{
    stop();
}

bool RigctldProcess::start()
{
    m_process.start(QStringLiteral("rigctld"),
                    {QStringLiteral("-m"), QStringLiteral("1"), QStringLiteral("-P"), QStringLiteral("RIG"),
                     QStringLiteral("-T"), QStringLiteral("127.0.0.1"), QStringLiteral("-t"), QString::number(m_port)});
    if (!m_process.waitForStarted(10000))
        return false;
    // rigctld (Hamlib 4.5) closes the socket of a client that leaves more than once, and so
    // at times the socket of the client accepted just after it: the connection that finds
    // it ready stays open until stop(), so a test's client never follows a leaving one.
    return QTest::qWaitFor(
        [this] {
            if (m_process.state() != QProcess::Running)
                return false;
            m_probe.abort();
            m_probe.connectToHost(QHostAddress::LocalHost, m_port);
            return m_probe.waitForConnected(500);
        },
        10000);
}

void RigctldProcess::stop()
{
    m_control.abort();
    m_probe.abort();
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.kill();
    m_process.waitForFinished(10000);
}

QStringList RigctldProcess::exchange(const QString &command, int lines) const
{
    if (m_control.state() != QAbstractSocket::ConnectedState) {
        m_control.abort();
        m_control.connectToHost(QHostAddress::LocalHost, m_port);
        if (!m_control.waitForConnected(10000))
            return {};
    }
    m_control.write(command.toUtf8() + "\n");
    QStringList answer;
    while (answer.size() < lines) {
        if (!m_control.canReadLine() && !m_control.waitForReadyRead(10000)) {
            m_control.abort(); // a late answer must not be taken for the next one
            return {};
        }
        while (m_control.canReadLine() && answer.size() < lines)
            answer << QString::fromUtf8(m_control.readLine()).trimmed();
        if (!answer.isEmpty() && answer.last().startsWith(QLatin1String("RPRT -"))) {
            m_control.readAll();
            return {};
        }
    }
    return answer;
}

bool RigctldProcess::set(const QString &command) const
{
    return exchange(command, 1) == QStringList{QStringLiteral("RPRT 0")};
}

QString RigctldProcess::get(const QString &command, int lines) const
{
    return exchange(command, lines).join(QLatin1Char('\n'));
}
