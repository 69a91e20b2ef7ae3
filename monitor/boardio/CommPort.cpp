// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "CommPort.h"

#include "LowLatency.h"
#include "OpenFailure.h"
#include "PortSettings.h"

#include <QFileInfo>
#include <QSerialPort>
#include <QStandardPaths>

#ifdef Q_OS_UNIX
#include <poll.h>
#endif

namespace tovana {

namespace {

// Whether the driver takes more bytes right now. A line whose buffer is full (the board
// reads slowly, or a flood keeps it busy) answers a write with EAGAIN; the bytes then wait
// in QSerialPort's buffer until the line has room.
bool lineHasRoom(QSerialPort *port)
{
#ifdef Q_OS_UNIX
    pollfd fd{static_cast<int>(port->handle()), POLLOUT, 0};
    return ::poll(&fd, 1, 0) == 1 && (fd.revents & POLLOUT);
#else
    Q_UNUSED(port);
    return true;
#endif
}

QSerialPort::Parity parityOf(station::PortSettings::Parity parity)
{
    using Parity = station::PortSettings::Parity;
    switch (parity) {
    case Parity::None: return QSerialPort::NoParity;
    case Parity::Even: return QSerialPort::EvenParity;
    case Parity::Odd: return QSerialPort::OddParity;
    case Parity::Mark: return QSerialPort::MarkParity;
    case Parity::Space: return QSerialPort::SpaceParity;
    }
    return QSerialPort::NoParity;
}

QSerialPort::StopBits stopBitsOf(station::PortSettings::StopBits stopBits)
{
    using StopBits = station::PortSettings::StopBits;
    switch (stopBits) {
    case StopBits::One: return QSerialPort::OneStop;
    case StopBits::OneAndHalf: return QSerialPort::OneAndHalfStop;
    case StopBits::Two: return QSerialPort::TwoStop;
    }
    return QSerialPort::OneStop;
}

} // namespace

CommPort::CommPort(QObject *parent) : QObject(parent), m_port(new QSerialPort(this))
{
    connect(m_port, &QSerialPort::readyRead, this, &CommPort::readyRead);
    connect(m_port, &QSerialPort::errorOccurred, this, &CommPort::onError);
}

CommPort::~CommPort() = default;

int CommPort::portNumber() const
{
    return m_number;
}
void CommPort::setPortNumber(int number)
{
    m_number = number;
}
QString CommPort::settings() const
{
    return m_settings;
}
void CommPort::setSettings(const QString &settings)
{
    m_settings = settings;
}
bool CommPort::isOpen() const
{
    return m_port->isOpen();
}
void CommPort::setInputLength(int length)
{
    m_inputLength = qMax(0, length);
}
QString CommPort::errorString() const
{
    return m_error;
}

int CommPort::waitingCount() const
{
    return m_port->isOpen() ? static_cast<int>(m_port->bytesAvailable()) : 0;
}

QString CommPort::deviceFor(int portNumber)
{
#if defined(Q_OS_WIN)
    return QStringLiteral("COM%1").arg(portNumber);
#else
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    const QFileInfo link(QStringLiteral("%1/Tovana2/ports/COM%2").arg(config).arg(portNumber));
    if (link.exists())
        return link.canonicalFilePath();
    if (link.isSymLink()) // dangling: open() then names the device that is gone
        return link.symLinkTarget();
    return QStringLiteral("/dev/ttyS%1").arg(portNumber - 1);
#endif
}

bool CommPort::open()
{
    if (m_port->isOpen()) {
        m_error = QStringLiteral("COM%1 is already open.").arg(m_number);
        return false;
    }
    if (m_number < 1) {
        m_error = QStringLiteral("Port number %1 is not valid; ports are numbered from 1.").arg(m_number);
        return false;
    }
    std::string error;
    const auto settings = station::PortSettings::parse(m_settings.toStdString(), &error);
    if (!settings) {
        m_error = QString::fromStdString(error);
        return false;
    }

    const QString device = deviceFor(m_number);
    m_port->setPortName(device);
    m_port->setBaudRate(settings->baudRate);
    m_port->setParity(parityOf(settings->parity));
    m_port->setDataBits(static_cast<QSerialPort::DataBits>(settings->dataBits));
    m_port->setStopBits(stopBitsOf(settings->stopBits));
    m_port->setFlowControl(QSerialPort::NoFlowControl);
    if (!m_port->open(QIODevice::ReadWrite)) {
        m_error = describeOpenFailure(m_number, device, m_port->error(), m_port->errorString());
        m_port->clearError();
        return false;
    }
    requestLowLatency(m_port->handle());
    m_error.clear();
    return true;
}

void CommPort::close()
{
    if (!m_port->isOpen())
        return;
    m_port->close();
    emit closed();
}

bool CommPort::failWhenClosed()
{
    if (m_port->isOpen())
        return false;
    m_error = QStringLiteral("COM%1 is not open.").arg(m_number);
    return true;
}

bool CommPort::input(QByteArray *bytes)
{
    bytes->clear();
    if (failWhenClosed())
        return false;
    *bytes = m_inputLength == 0 ? m_port->readAll() : m_port->read(m_inputLength);
    return m_port->isOpen();
}

bool CommPort::discardInput()
{
    if (failWhenClosed())
        return false;
    m_port->clear(QSerialPort::Input);
    return m_port->isOpen();
}

bool CommPort::output(const QByteArray &bytes)
{
    if (failWhenClosed())
        return false;
    if (m_port->write(bytes) != bytes.size()) {
        m_error = QStringLiteral("Cannot write to COM%1: %2").arg(m_number).arg(m_port->errorString());
        return false;
    }
    // Hand the bytes to the driver now rather than on the next event loop pass: a query
    // then leaves as soon as it is written, which is what paces the acquisition cycle. With
    // the line's buffer full they go when it has room again.
    if (lineHasRoom(m_port))
        m_port->flush();
    return m_port->isOpen();
}

void CommPort::onError()
{
    const QSerialPort::SerialPortError error = m_port->error();
    // Errors of open() are reported by open() itself; a timeout is not a failure of the line.
    // (A full buffer never gets here: output() leaves the bytes queued until the line has
    // room. Its EAGAIN cannot be told apart here, as QSerialPort reports a hang-up with
    // whatever errno was left.)
    if (error == QSerialPort::NoError || error == QSerialPort::TimeoutError || !m_port->isOpen())
        return;
    const QString message = QStringLiteral("COM%1 failed: %2").arg(m_number).arg(m_port->errorString());
    m_error = message;
    m_port->clearError();
    m_port->close();
    emit portFailed(message);
}

} // namespace tovana
