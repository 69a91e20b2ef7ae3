// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// tovana-boardsim of this build (TOVANA_BOARDSIM_PROGRAM) run by a test: started with the
// given options in the current config home, ready once it has printed its "ready <slave>"
// line; its stdout lines are kept so the test can wait for a relay or band line. Stops
// with SIGTERM when destroyed.
#pragma once

#include <QProcess>
#include <QStringList>

class BoardSimProcess {
public:
    explicit BoardSimProcess(const QStringList &arguments);
    ~BoardSimProcess();
    BoardSimProcess(const BoardSimProcess &) = delete;
    BoardSimProcess &operator=(const BoardSimProcess &) = delete;

    static QString program();

    // Waits (up to 10 s) for the ready line; false if the simulator did not come up.
    bool waitUntilReady();
    QString slavePath() const { return m_slavePath; }
    // Waits (up to 10 s) until `line` has been printed; true if it has.
    bool waitForLine(const QString &line);
    QStringList lines();
    // SIGTERM, then waits for the exit; the exit code, or -1 for a crash or no exit.
    int terminate();
    QProcess &process() { return m_process; }

private:
    void collect();

    QProcess m_process;
    QStringList m_lines;
    QString m_slavePath;
};
