// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The whole bridge for one test: a dummy radio (rigctld), a private bus where the real
// tethra is activated, tethra-rigctl running between them, and a link client of the
// test's own that reads fields, calls commands and counts the events it receives.
#pragma once

#include "PrivateBus.h"
#include "RigctldProcess.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>
#include <QProcess>
#include <QVariant>
#include <gtest/gtest.h>

class LinkEvents : public QObject {
    Q_OBJECT
public:
    QStringList received;
public slots:
    void onEvent(const QDBusMessage &message) { received << message.member(); }
};

class BridgeFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Creates a connector and takes the shared object, activating tethra if needed.
    ::testing::AssertionResult attachLink();
    QVariant field(const QString &name) const;
    bool setField(const QString &name, const QVariant &value) const;
    bool callCommand(const QString &name, const QVariantList &args = {}) const;
    // Everything the bridge said on stderr so far.
    QString bridgeErrors();
    bool startBridge();

    RigctldProcess rigctld;
    PrivateBus bus;
    QDBusConnection link{QString()};
    QString objectPath;
    LinkEvents events;
    QProcess bridge;
    QString errors;
};
