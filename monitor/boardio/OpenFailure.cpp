// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "OpenFailure.h"

#include <QFile>
#include <cerrno>

#ifdef Q_OS_UNIX
#include <grp.h>
#include <sys/stat.h>
#endif

namespace tovana {

QString describeOpenFailure(int portNumber, const QString &device, QSerialPort::SerialPortError error,
                            const QString &reason)
{
    // The port reports a held lock file and a device in another's exclusive use as
    // permission errors too; only their texts tell them from the system's refusal.
    if (error == QSerialPort::PermissionError &&
        (reason == qt_error_string(EBUSY) || reason == QSerialPort::tr("Permission error while locking the device")))
        return QStringLiteral("%1: another program holds COM%2; close the port there, or choose another port.")
            .arg(device)
            .arg(portNumber);
#ifdef Q_OS_UNIX
    const bool refused = error == QSerialPort::PermissionError &&
                         (reason == qt_error_string(EACCES) || reason == qt_error_string(EPERM));
    struct stat info {};
    if (refused && ::stat(QFile::encodeName(device).constData(), &info) == 0) {
        const group *owner = ::getgrgid(info.st_gid);
        const QString name = owner ? QString::fromLocal8Bit(owner->gr_name) : QString::number(info.st_gid);
        if ((info.st_mode & (S_IRGRP | S_IWGRP)) == (S_IRGRP | S_IWGRP))
            return QStringLiteral("Permission denied on %1 (group %2): add your user to the group %2 and log in again.")
                .arg(device, name);
        return QStringLiteral("Permission denied on %1 (group %2, mode %3): not even that group may read and write it.")
            .arg(device, name, QString::number(info.st_mode & 07777, 8).rightJustified(4, u'0'));
    }
#endif
    return QStringLiteral("%1: %2.").arg(device, reason);
}

} // namespace tovana
