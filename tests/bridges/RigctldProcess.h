// A real Hamlib dummy radio for tests: rigctld -m 1 (with PTT through the rig) on a free
// loopback port, which stays the same across stop() and start() so a client can reconnect.
// set()/get() talk to it as a second client through rigctl's network backend.
#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

class RigctldProcess
{
public:
    RigctldProcess();
    ~RigctldProcess();

    // Starts rigctld and waits until it accepts connections; false if it would not.
    bool start();
    void stop();
    quint16 port() const { return m_port; }

    // Runs one rigctl command against the daemon ("F 14074000"); true on success.
    bool set(const QStringList &command) const;
    // The output of one rigctl query ("f"), trimmed; empty on failure.
    QString get(const QString &command) const;

private:
    QString run(const QStringList &command, bool *ok) const;

    quint16 m_port;
    QProcess m_process;
};
