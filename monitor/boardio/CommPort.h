// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The serial port control of the main window (objectName "MSComm1"): the one port shared
// by the ADC board and the relay board, over QSerialPort. Port number n opens
// $XDG_CONFIG_HOME/Tovana2/ports/COM<n> when that link exists, else /dev/ttyS<n-1> (COM<n>
// on Windows). The number and the settings string ("19200,n,8,1", parity letter in either
// case) are changed only while the port is closed. Opening a missing or busy port, and
// reading or writing a closed one, fail with errorString() set (for an open, one line with
// the device path and the system's reason); a device that vanishes
// under an open port (USB adapter pulled) closes the port and emits portFailed(). A line
// whose buffer is full is no failure: written bytes wait, in order, until it takes them.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class QSerialPort;

namespace tovana {

class CommPort : public QObject {
    Q_OBJECT
public:
    explicit CommPort(QObject *parent = nullptr);
    ~CommPort() override;

    int portNumber() const;
    void setPortNumber(int number);
    QString settings() const;
    void setSettings(const QString &settings);

    bool isOpen() const;
    bool open();
    void close();

    void setInputLength(int length);
    // Received bytes not yet read.
    int waitingCount() const;
    // Removes and returns up to inputLength() waiting bytes ("" when none waits);
    // false when the port is closed or the read failed.
    bool input(QByteArray *bytes);
    // Drops every byte received and not yet read, the driver's included; false when the
    // port is closed.
    bool discardInput();
    // Sends the bytes in order without waiting for a reply; false when the port is
    // closed or the write failed.
    bool output(const QByteArray &bytes);

    QString errorString() const;

    // The device path that port number n names on this platform.
    static QString deviceFor(int portNumber);

signals:
    void readyRead();
    // The open port failed under its user (device gone, I/O error); it is closed now.
    void portFailed(const QString &message);
    // An open port was closed by close(); users waiting on it stop waiting.
    void closed();

private:
    void onError();
    bool failWhenClosed();

    QSerialPort *m_port;
    int m_number = 1;
    QString m_settings = QStringLiteral("19200,n,8,1");
    int m_inputLength = 0;
    QString m_error;
};

} // namespace tovana
