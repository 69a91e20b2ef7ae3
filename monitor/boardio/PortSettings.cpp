// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "PortSettings.h"

#include <QStringList>

namespace tovana {

namespace {

std::optional<QSerialPort::Parity> parityFor(const QString &letter)
{
    static const struct {
        QChar letter;
        QSerialPort::Parity parity;
    } table[] = {
        {u'N', QSerialPort::NoParity},   {u'E', QSerialPort::EvenParity},
        {u'O', QSerialPort::OddParity},  {u'M', QSerialPort::MarkParity},
        {u'S', QSerialPort::SpaceParity},
    };
    if (letter.size() != 1)
        return std::nullopt;
    for (const auto &entry : table) {
        if (entry.letter == letter.at(0).toUpper())
            return entry.parity;
    }
    return std::nullopt;
}

std::optional<QSerialPort::StopBits> stopBitsFor(const QString &text)
{
    if (text == u"1")
        return QSerialPort::OneStop;
    if (text == u"1.5")
        return QSerialPort::OneAndHalfStop;
    if (text == u"2")
        return QSerialPort::TwoStop;
    return std::nullopt;
}

} // namespace

std::optional<PortSettings> PortSettings::parse(const QString &text, QString *error)
{
    const QStringList fields = text.split(u',');
    const auto fail = [&](const QString &why) -> std::optional<PortSettings> {
        *error = QStringLiteral("Invalid port settings \"%1\": %2 (expected speed,parity,data,stop such as 19200,n,8,1)")
                     .arg(text, why);
        return std::nullopt;
    };
    if (fields.size() != 4)
        return fail(QStringLiteral("four fields are needed"));

    bool ok = false;
    PortSettings result;
    result.baudRate = fields.at(0).trimmed().toInt(&ok);
    if (!ok || result.baudRate <= 0)
        return fail(QStringLiteral("the speed is not a positive number"));

    const auto parity = parityFor(fields.at(1).trimmed());
    if (!parity)
        return fail(QStringLiteral("the parity is not one of N, E, O, M, S"));
    result.parity = *parity;

    const int dataBits = fields.at(2).trimmed().toInt(&ok);
    if (!ok || dataBits < 5 || dataBits > 8)
        return fail(QStringLiteral("the data bits are not 5 to 8"));
    result.dataBits = static_cast<QSerialPort::DataBits>(dataBits);

    const auto stopBits = stopBitsFor(fields.at(3).trimmed());
    if (!stopBits)
        return fail(QStringLiteral("the stop bits are not 1, 1.5 or 2"));
    result.stopBits = *stopBits;
    return result;
}

} // namespace tovana
