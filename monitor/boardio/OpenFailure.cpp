// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "OpenFailure.h"

#include <QFile>

#ifdef Q_OS_UNIX
#include <grp.h>
#include <sys/stat.h>
#endif

namespace tovana {

QString describeOpenFailure(const QString &device, const QString &reason, bool permissionRefused)
{
#ifdef Q_OS_UNIX
    struct stat info {};
    if (permissionRefused && ::stat(QFile::encodeName(device).constData(), &info) == 0) {
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
