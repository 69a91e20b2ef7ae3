// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The broker password, read from a file of its own so that it never shows on a command line,
// in the settings file or in a process listing. Like ssh with its keys, the file must belong
// to the user and grant nobody else any access; otherwise it is refused unread, with a
// message that says how to fix it. The password is the file's first line.
#pragma once

#include <QByteArray>
#include <QString>

namespace tovana::network {

struct PasswordFileResult {
    QByteArray password;
    QString error; // empty when the password was read
};

PasswordFileResult readPasswordFile(const QString &path);

} // namespace tovana::network
