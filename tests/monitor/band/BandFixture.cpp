// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "BandFixture.h"

#include "../panel/PanelStartState.h"

#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVariant>

namespace {

const QString kService = QStringLiteral("org.tethra.Tethra");
const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");

bool isBandByte(char byte)
{
    return byte >= 0x38 && byte <= 0x3F;
}

} // namespace

QDBusMessage Radio::call(const QString &path, const QString &interface, const QString &member,
                         const QVariantList &arguments) const
{
    QDBusMessage message = QDBusMessage::createMethodCall(kService, path, interface, member);
    message.setArguments(arguments);
    return m_bus.call(message, QDBus::Block, 30000);
}

bool Radio::attach()
{
    const QDBusMessage created = call("/org/tethra/Tethra", "org.tethra.Tethra.ClassFactory", "CreateObject",
                                      {QStringLiteral("{AD389A93-FD1A-11D1-9FFC-8703DD3BB166}")});
    if (created.type() != QDBusMessage::ReplyMessage)
        return false;
    m_connector = created.arguments().value(0).value<QDBusObjectPath>().path();
    const QDBusMessage read = call(m_connector, kProperties, "Get",
                                   {QStringLiteral("org.tethra.Tethra._VarnexConnector"), QStringLiteral("Varnex")});
    m_object = read.arguments().value(0).value<QDBusVariant>().variant().value<QDBusObjectPath>().path();
    return read.type() == QDBusMessage::ReplyMessage && !m_object.isEmpty();
}

bool Radio::detach()
{
    const QDBusMessage object = call(m_object, "org.tethra.Tethra._Varnex", "Release", {});
    const QDBusMessage connector = call(m_connector, "org.tethra.Tethra._VarnexConnector", "Release", {});
    return object.type() == QDBusMessage::ReplyMessage && connector.type() == QDBusMessage::ReplyMessage;
}

bool Radio::set(const QString &field, int value)
{
    const QDBusMessage reply =
        call(m_object, kProperties, "Set",
             {QStringLiteral("org.tethra.Tethra._Varnex"), field, QVariant::fromValue(QDBusVariant(qint32(value)))});
    return reply.type() == QDBusMessage::ReplyMessage;
}

uint Radio::serverPid() const
{
    QDBusMessage message = QDBusMessage::createMethodCall("org.freedesktop.DBus", "/org/freedesktop/DBus",
                                                          "org.freedesktop.DBus", "GetConnectionUnixProcessID");
    message.setArguments({kService});
    const QDBusMessage reply = m_bus.call(message, QDBus::Block, 5000);
    return reply.type() == QDBusMessage::ReplyMessage ? reply.arguments().value(0).toUInt() : 0;
}

void BandFixture::SetUp()
{
    ASSERT_TRUE(board.isOpen());
    ASSERT_TRUE(board.linkAs(1));
    // A board answers every channel query at once, so the acquisition cycle keeps running.
    board.setAnswer([](char byte) { return byte >= 0 && byte < 8 ? QByteArray(1, '\x80') : QByteArray(); });
    ASSERT_TRUE(bus.isRunning());
    ASSERT_TRUE(radio.attach()) << "the radio activates the link server";
}

void BandFixture::TearDown()
{
    reads.reset();
    announcements.reset();
    links.reset();
    window.reset();
}

void BandFixture::start()
{
    window = std::make_unique<tovana::frmMonitor>(bus.address());
    monitorName = window->link()->client()->uniqueName();
    reads = std::make_unique<QSignalSpy>(window->link(), &tovana::LinkFollower::bandRead);
    announcements = std::make_unique<QSignalSpy>(window->link(), &tovana::LinkFollower::bandAnnounced);
    links = std::make_unique<QSignalSpy>(window->link()->client(), &tethra::client::LinkClient::connected);
    window->show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return links->count() == 1; }, kWaitMs)) << "the window links to the server";
    ASSERT_TRUE(window->MSComm1()->isOpen()) << qPrintable(window->MSComm1()->errorString());
    ASSERT_TRUE(takeStartState(board, *window));
}

void BandFixture::reactivate()
{
    const qsizetype before = links->count();
    window->hide();
    window->show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return links->count() > before; }, kWaitMs)) << "the window links again";
}

::testing::AssertionResult BandFixture::waitForReads(int count)
{
    const qsizetype target = reads->count() + count;
    if (QTest::qWaitFor([&] { return reads->count() >= target; }, kWaitMs))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "only " << reads->count() << " reads of Band, " << target << " awaited";
}

::testing::AssertionResult BandFixture::waitForReadOf(int band)
{
    const qsizetype from = reads->count();
    const bool seen = QTest::qWaitFor(
        [&] {
            for (qsizetype i = from; i < reads->count(); ++i) {
                if (reads->at(i).value(0).toInt() == band)
                    return true;
            }
            return false;
        },
        kWaitMs);
    if (seen)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "Band " << band << " was never read";
}

::testing::AssertionResult BandFixture::waitForHold(bool held)
{
    if (QTest::qWaitFor([&] { return window->station().holds() == held; }, kWaitMs))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "the relays were never " << (held ? "held" : "let go");
}

QByteArray BandFixture::bandBytes() const
{
    QByteArray bytes;
    for (char byte : board.received()) {
        if (isBandByte(byte))
            bytes.append(byte);
    }
    return bytes;
}

QList<int> BandFixture::visibleIndicators() const
{
    QList<int> visible;
    for (int position = 1; position <= 9; ++position) {
        if (!window->bandIndicator(position)->isHidden())
            visible << position;
    }
    return visible;
}

QMessageBox *BandFixture::messageBox()
{
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (auto *box = qobject_cast<QMessageBox *>(w); box && box->isVisible())
            return box;
    }
    return nullptr;
}
