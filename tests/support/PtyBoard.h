// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// A board played by the test on a pseudo-terminal: the code under test opens the slave
// (directly or through the COM<n> link in $XDG_CONFIG_HOME/Tovana2/ports), the test sees
// every byte it sends and decides what comes back and when. An optional answer function
// replies to each received byte at once, as a board would. Lives on the test's thread.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <functional>

class QSocketNotifier;

class PtyBoard : public QObject {
    Q_OBJECT
public:
    PtyBoard();
    ~PtyBoard() override;

    bool isOpen() const { return m_master >= 0; }
    QString slavePath() const { return m_slavePath; }
    // Links the slave as COM<portNumber> in the current config home.
    bool linkAs(int portNumber);

    QByteArray received() const { return m_received; }
    // Forgets the first `count` bytes received.
    void dropReceived(qsizetype count) { m_received.remove(0, count); }
    void send(const QByteArray &bytes);
    // Called for every received byte; what it returns is sent back at once.
    void setAnswer(std::function<QByteArray(char)> answer) { m_answer = std::move(answer); }
    // A board that stops reading lets the line's buffer fill up; reading again drains it.
    void setReading(bool reading);
    // The board goes away: both ends close, the port's user sees the line hang up.
    void hangUp();

signals:
    void bytesReceived();

private:
    void onReadable();

    int m_master = -1;
    int m_slave = -1; // held so the master never reads a hang-up while the port is closed
    QString m_slavePath;
    QSocketNotifier *m_notifier = nullptr;
    QByteArray m_received;
    std::function<QByteArray(char)> m_answer;
};
