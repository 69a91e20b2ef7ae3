// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "BoardSimProcess.h"

#include <QDeadlineTimer>

namespace {
constexpr int kTimeoutMs = 10000;
}

BoardSimProcess::BoardSimProcess(const QStringList &arguments)
{
    m_process.setProgram(program());
    m_process.setArguments(arguments);
    m_process.setProcessChannelMode(QProcess::SeparateChannels);
    m_process.start();
}

BoardSimProcess::~BoardSimProcess()
{
    terminate();
}

QString BoardSimProcess::program()
{
    return QStringLiteral(TOVANA_BOARDSIM_PROGRAM);
}

void BoardSimProcess::collect()
{
    while (m_process.canReadLine())
        m_lines.append(QString::fromUtf8(m_process.readLine()).trimmed());
}

bool BoardSimProcess::waitUntilReady()
{
    if (!waitForLine(QString()))
        return false;
    for (const QString &line : std::as_const(m_lines)) {
        if (line.startsWith(QStringLiteral("ready "))) {
            m_slavePath = line.mid(6);
            return true;
        }
    }
    return false;
}

bool BoardSimProcess::waitForLine(const QString &line)
{
    // An empty line stands for the ready line, whatever its slave path.
    const auto seen = [&] {
        for (const QString &l : std::as_const(m_lines)) {
            if (line.isEmpty() ? l.startsWith(QStringLiteral("ready ")) : l == line)
                return true;
        }
        return false;
    };
    const QDeadlineTimer deadline(kTimeoutMs);
    collect();
    while (!seen()) {
        if (deadline.hasExpired() || m_process.state() == QProcess::NotRunning)
            return false;
        m_process.waitForReadyRead(static_cast<int>(qMax<qint64>(1, deadline.remainingTime())));
        collect();
    }
    return true;
}

QStringList BoardSimProcess::lines()
{
    collect();
    return m_lines;
}

int BoardSimProcess::terminate()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.terminate();
        if (!m_process.waitForFinished(kTimeoutMs)) {
            m_process.kill();
            m_process.waitForFinished(kTimeoutMs);
            return -1;
        }
    }
    return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
}
