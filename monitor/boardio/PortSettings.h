// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The serial line settings text "speed,parity,data,stop" ("19200,n,8,1"), parity letter
// N/E/O/M/S in either case. parse() accepts only what a serial port can be set to and
// names the offending text otherwise, so a bad stored value becomes a clear message.
#pragma once

#include <QSerialPort>
#include <QString>
#include <optional>

namespace tovana {

struct PortSettings {
    qint32 baudRate = 19200;
    QSerialPort::Parity parity = QSerialPort::NoParity;
    QSerialPort::DataBits dataBits = QSerialPort::Data8;
    QSerialPort::StopBits stopBits = QSerialPort::OneStop;

    // nullopt with *error set when the text is not a valid settings string.
    static std::optional<PortSettings> parse(const QString &text, QString *error);
};

} // namespace tovana
