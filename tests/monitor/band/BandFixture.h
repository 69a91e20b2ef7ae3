// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The monitor's main window on a private bus where the real tethra is activated, its port 1
// on a pseudo-terminal board that answers every channel query, and a "radio": another
// client of the link server on its own connection that publishes the band and PTT.
#pragma once

#include "LinkFollower.h"
#include "Station.h"
#include "CommPort.h"
#include "LinkClient.h"
#include "PrivateBus.h"
#include "PtyBoard.h"
#include "TempConfigHome.h"
#include "frmMonitor.h"

#include <QApplication>
#include <QDBusMessage>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest/QTest>
#include <gtest/gtest.h>

#include <memory>

// Another client of the link server, with blocking calls: it plays the radio-control program.
class Radio {
public:
    explicit Radio(const QDBusConnection &connection) : m_bus(connection) {}

    // Takes a connector and the shared object, as every client does first.
    bool attach();
    // Releases the object and the connector again.
    bool detach();
    bool setBand(int band) { return set(QStringLiteral("Band"), band); }
    bool setPtt(int ptt) { return set(QStringLiteral("PTT"), ptt); }
    // The process id of the server that owns the link server's name now, 0 when none.
    uint serverPid() const;

private:
    bool set(const QString &field, int value);
    QDBusMessage call(const QString &path, const QString &interface, const QString &member,
                      const QVariantList &arguments) const;

    QDBusConnection m_bus;
    QString m_connector;
    QString m_object;
};

class BandFixture : public ::testing::Test {
protected:
    static constexpr int kWaitMs = 10000;

    explicit BandFixture(PrivateBus::Changes changes = PrivateBus::Changes::Delivered) : bus(changes) {}

    void SetUp() override;
    void TearDown() override;

    // Shows a new main window linked through the private bus and waits for its link.
    void start();
    // Hides and shows the window again, which runs the activation once more; waits for the link.
    void reactivate();
    void followingOn() { window->findChild<QPushButton *>("Command32")->click(); }
    // Waits until the window has read Band `count` more times.
    ::testing::AssertionResult waitForReads(int count);
    // Waits until a read of Band has given this value.
    ::testing::AssertionResult waitForReadOf(int band);

    // The band relay bytes (relays 13..16) the board received, in order.
    QByteArray bandBytes() const;
    // Waits until the window's transmit interlock holds the band relays, or lets them go.
    ::testing::AssertionResult waitForHold(bool held);

    // Positions 1..9 whose indicators are set visible.
    QList<int> visibleIndicators() const;
    static QMessageBox *messageBox();

    TempConfigHome home;
    PtyBoard board;
    PrivateBus bus;
    Radio radio{bus.connect("radio")};
    std::unique_ptr<tovana::frmMonitor> window;
    QString monitorName; // the window's unique name on the bus
    std::unique_ptr<QSignalSpy> reads;
    std::unique_ptr<QSignalSpy> announcements; // of Band, by the link client
    std::unique_ptr<QSignalSpy> links;
};
