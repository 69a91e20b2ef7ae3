// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "PasswordFile.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tovana::network {

namespace {

PasswordFileResult failure(const QString &message)
{
    return {{}, message};
}

} // namespace

PasswordFileResult readPasswordFile(const QString &path)
{
    // The checks are made on the open file, so it cannot be swapped between check and read.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return failure(QStringLiteral("The password file %1 cannot be opened: %2")
                           .arg(path, QString::fromLocal8Bit(std::strerror(errno))));
    struct FdCloser {
        int fd;
        ~FdCloser() { ::close(fd); }
    } closer{fd};

    struct stat status {};
    if (::fstat(fd, &status) != 0)
        return failure(QStringLiteral("The password file %1 cannot be examined: %2")
                           .arg(path, QString::fromLocal8Bit(std::strerror(errno))));
    if (!S_ISREG(status.st_mode))
        return failure(QStringLiteral("The password file %1 is not a plain file").arg(path));
    if (status.st_uid != ::geteuid())
        return failure(
            QStringLiteral("The password file %1 belongs to another user; it must be yours alone").arg(path));
    if ((status.st_mode & 077) != 0) {
        return failure(
            QStringLiteral("The password file %1 is open to others (mode %2); make it yours alone with: chmod 600 %1")
                .arg(path)
                .arg(status.st_mode & 0777, 4, 8, QLatin1Char('0')));
    }

    QByteArray contents;
    char buffer[4096];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return failure(QStringLiteral("The password file %1 cannot be read: %2")
                               .arg(path, QString::fromLocal8Bit(std::strerror(errno))));
        if (got == 0)
            break;
        contents.append(buffer, got);
    }
    QByteArray password = contents.left(contents.indexOf('\n')); // all of it when there is no line end
    if (password.endsWith('\r'))
        password.chop(1);
    if (password.isEmpty())
        return failure(QStringLiteral("The password file %1 holds no password on its first line").arg(path));
    return {password, {}};
}

} // namespace tovana::network
