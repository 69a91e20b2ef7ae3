// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// What finding and starting the system-information tool touches on the machine: the
// registry, a file-existence test and the starting of a program by its path. Tests put
// their own in place to see what would be started without starting anything.
#pragma once

#include <QString>

#include <functional>

class Registry;

struct SysInfoServices {
    Registry *registry;
    std::function<bool(const QString &path)> fileExists;
    std::function<bool(const QString &program)> startProgram;

    // The machine's own: its registry, its file system, a detached process.
    static SysInfoServices system();
};
