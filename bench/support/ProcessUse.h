// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// What a running process uses, read from /proc: its user plus system CPU time and a field of
// its status in KiB ("VmRSS", "VmHWM"). 0 when the process is gone.
#pragma once

#include <QtGlobal>

namespace bench {

double cpuSeconds(qint64 pid);
double cpuSecondsOfThisProcess();
qint64 statusKiB(qint64 pid, const char *field);

} // namespace bench
