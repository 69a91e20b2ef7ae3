// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "SysInfoServices.h"

#include "SystemRegistry.h"

#include <QFileInfo>
#include <QProcess>

SysInfoServices SysInfoServices::system()
{
    return SysInfoServices{
        &systemRegistry(),
        [](const QString &path) { return QFileInfo(path).isFile(); },
        [](const QString &program) { return QProcess::startDetached(program, {}); },
    };
}
