// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// Why a serial device would not open, in a line a user can act on: the device path and
// the reason. For a permission refusal, the group that owns the device and that the user
// must belong to (when that group may read and write it); for a port that another program
// holds, that; otherwise the system's own reason.
#pragma once

#include <QSerialPort>
#include <QString>

namespace tovana {

// `error` and `reason` are what the serial port reported for the failed open of port
// number `portNumber` at `device`.
QString describeOpenFailure(int portNumber, const QString &device, QSerialPort::SerialPortError error,
                            const QString &reason);

} // namespace tovana
