// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "PtyBoard.h"

#include <QDir>
#include <QFile>
#include <QSocketNotifier>
#include <QStandardPaths>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

PtyBoard::PtyBoard()
{
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (m_master < 0)
        return;
    if (::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0 || !::ptsname(m_master)) {
        hangUp();
        return;
    }
    m_slavePath = QString::fromLocal8Bit(::ptsname(m_master));
    m_slave = ::open(::ptsname(m_master), O_RDWR | O_NOCTTY);
    termios raw{};
    ::tcgetattr(m_slave, &raw);
    ::cfmakeraw(&raw);
    ::tcsetattr(m_slave, TCSANOW, &raw);
    ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
    m_notifier = new QSocketNotifier(m_master, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &PtyBoard::onReadable);
}

PtyBoard::~PtyBoard()
{
    hangUp();
}

bool PtyBoard::linkAs(int portNumber)
{
    const QString folder =
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/Tovana2/ports");
    const QString link = folder + QStringLiteral("/COM%1").arg(portNumber);
    QFile::remove(link);
    return QDir().mkpath(folder) && QFile::link(m_slavePath, link);
}

void PtyBoard::send(const QByteArray &bytes)
{
    if (m_master < 0 || bytes.isEmpty())
        return;
    [[maybe_unused]] const auto written = ::write(m_master, bytes.constData(), static_cast<size_t>(bytes.size()));
}

void PtyBoard::setReading(bool reading)
{
    if (m_notifier)
        m_notifier->setEnabled(reading);
}

void PtyBoard::hangUp()
{
    delete m_notifier;
    m_notifier = nullptr;
    if (m_slave >= 0)
        ::close(m_slave);
    if (m_master >= 0)
        ::close(m_master);
    m_slave = m_master = -1;
}

void PtyBoard::onReadable()
{
    // Everything that waits, so a board reading a long stream keeps pace with its sender.
    char bytes[4096];
    bool any = false;
    ssize_t count;
    while (m_master >= 0 && (count = ::read(m_master, bytes, sizeof bytes)) > 0) {
        any = true;
        for (ssize_t i = 0; i < count; ++i) {
            m_received.append(bytes[i]);
            if (m_answer)
                send(m_answer(bytes[i]));
        }
    }
    if (any)
        emit bytesReceived();
}
