// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// SIGTERM, SIGINT and SIGHUP as a Qt signal on the event loop, so the program ends as it
// chooses (saving first) instead of where the signal finds it. The handler only writes one
// byte to a pipe the loop watches. One per process.
#pragma once

#include <QObject>

class QSocketNotifier;

namespace tovana::headless {

class QuitSignals : public QObject {
    Q_OBJECT
public:
    explicit QuitSignals(QObject *parent = nullptr);
    ~QuitSignals() override;

signals:
    // The name of the signal that asked the program to end, such as "SIGTERM".
    void quitRequested(const QString &signalName);

private:
    void onReadable();

    QSocketNotifier *m_notifier = nullptr;
};

} // namespace tovana::headless
