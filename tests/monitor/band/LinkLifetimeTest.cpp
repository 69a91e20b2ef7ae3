// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The window's hold on the link server: a fresh connector at each activation without ever
// letting go of the server in between, and a monitor that runs on when the server is
// missing or goes away.
#include "BandFixture.h"
#include "MonitorPanel.h"
#include "PanelControls.h"

#include <QProcess>
#include <QRegularExpression>
#include <csignal>

using LinkLifetime = BandFixture;

namespace {

const QByteArray k20 = "\x39\x3A\x3D\x3E";
const QByteArray k40 = "\x39\x3B\x3C\x3E";

int visibleMessageBoxes()
{
    int count = 0;
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (qobject_cast<QMessageBox *>(w) && w->isVisible())
            ++count;
    }
    return count;
}

// The method calls one client makes on the bus, as "member path", in order, seen by
// dbus-monitor.
class CallLog {
public:
    CallLog(const QString &address) { m_process.start("dbus-monitor", {"--address", address, "type='method_call'"}); }
    ~CallLog()
    {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
    // dbus-monitor reports its own start on the bus before anything else.
    bool ready()
    {
        return QTest::qWaitFor([&] { return take(), m_text.contains("NameAcquired"); }, 10000);
    }
    QStringList callsFrom(const QString &sender)
    {
        take();
        static const QRegularExpression header(
            R"(^method call .* sender=(\S+) -> .* path=([^;]+); interface=[^;]*; member=(\S+)$)",
            QRegularExpression::MultilineOption);
        QStringList calls;
        for (auto it = header.globalMatch(m_text); it.hasNext();) {
            const QRegularExpressionMatch m = it.next();
            if (m.captured(1) == sender)
                calls << m.captured(3) + ' ' + m.captured(2);
        }
        return calls;
    }

private:
    void take() { m_text += QString::fromUtf8(m_process.readAllStandardOutput()); }

    QProcess m_process;
    QString m_text;
};

} // namespace

TEST_F(LinkLifetime, NewConnectorIsInHandBeforeTheOldOneIsReleased)
{
    CallLog log(bus.address());
    ASSERT_TRUE(log.ready());
    start();
    ASSERT_TRUE(radio.detach()); // the window is now the server's only client
    const uint server = radio.serverPid();
    ASSERT_NE(server, 0u);

    QStringList connectors{window->link()->client()->connectorPath()};
    QStringList objects{window->link()->client()->objectPath()};
    for (int i = 0; i < 3; ++i) {
        reactivate();
        connectors << window->link()->client()->connectorPath();
        objects << window->link()->client()->objectPath();
        EXPECT_EQ(radio.serverPid(), server) << "the server never ended between two activations";
    }
    EXPECT_EQ(connectors.removeDuplicates(), 0) << "every activation creates a fresh connector";
    EXPECT_EQ(QSet<QString>(objects.begin(), objects.end()).size(), 1) << "every connector hands out the one object";

    const QString sender = monitorName;
    ASSERT_TRUE(QTest::qWaitFor([&] { return log.callsFrom(sender).count("Release " + connectors[2]) == 1; }, kWaitMs))
        << qPrintable(log.callsFrom(sender).join('\n'));
    const QStringList calls = log.callsFrom(sender);
    for (int i = 1; i < connectors.size(); ++i) {
        const qsizetype readNew = calls.indexOf("Get " + connectors[i]);
        const qsizetype releaseOld = calls.indexOf("Release " + connectors[i - 1]);
        ASSERT_NE(readNew, -1) << qPrintable(calls.join('\n'));
        ASSERT_NE(releaseOld, -1) << qPrintable(calls.join('\n'));
        EXPECT_LT(readNew, releaseOld) << qPrintable(calls.join('\n'));
    }
    EXPECT_EQ(calls.count("Release " + connectors.last()), 0) << "the current connector is kept";
    EXPECT_EQ(calls.count("Release " + objects.first()), 0) << "the shared object in use is kept";
}

// The link server restarted under band following: the monitor takes up the new one by
// itself and follows the band published there, with nothing to click and nothing to answer.
TEST_F(LinkLifetime, KilledServerIsTakenUpAgainAndFollowingGoesOn)
{
    start();
    ASSERT_TRUE(radio.setBand(5));
    followingOn();
    ASSERT_TRUE(QTest::qWaitFor([&] { return bandBytes() == k20; }, kWaitMs));

    const uint server = radio.serverPid();
    ASSERT_NE(server, 0u);
    ASSERT_EQ(::kill(pid_t(server), SIGKILL), 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return links->count() == 2; }, kWaitMs)) << "linked again, to a new server";
    EXPECT_NE(radio.serverPid(), server);

    ASSERT_TRUE(radio.attach());
    ASSERT_TRUE(radio.setBand(3));
    ASSERT_TRUE(QTest::qWaitFor([&] { return bandBytes() == k20 + k40; }, kWaitMs)) << bandBytes().toHex().constData();
    EXPECT_EQ(window->Label2()->text(), "1100");
    EXPECT_TRUE(window->station().following());
    EXPECT_FALSE(window->panel()->followOnIndicator()->isWaiting());
    EXPECT_EQ(visibleMessageBoxes(), 0);
}

// Without a link server the panel says so quietly; the operator is told why only on asking
// for band following, and the rest of the panel works on.
TEST_F(LinkLifetime, MissingServerIsShownQuietlyAndToldWhenFollowingIsTurnedOn)
{
    window = std::make_unique<tovana::frmMonitor>("unix:path=" + home.path() + "/no-bus");
    window->show();
    QPushButton *on = window->findChild<QPushButton *>("Command32");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !on->toolTip().isEmpty(); }, kWaitMs));
    EXPECT_TRUE(on->toolTip().contains("link server")) << qPrintable(on->toolTip());
    EXPECT_EQ(visibleMessageBoxes(), 0) << "nothing to answer while band following is off";
    EXPECT_TRUE(window->MSComm1()->isOpen()) << "the activation goes on to the port";

    followingOn();
    ASSERT_TRUE(QTest::qWaitFor([] { return messageBox() != nullptr; }, kWaitMs));
    QMessageBox *box = messageBox();
    EXPECT_TRUE(box->text().startsWith("Band following cannot reach the link server")) << qPrintable(box->text());
    EXPECT_FALSE(box->text().contains("D-Bus")) << "in an operator's words";
    EXPECT_TRUE(window->station().following());
    EXPECT_TRUE(window->panel()->followOnIndicator()->isWaiting()) << "on, but not lit as if working";
    box->button(QMessageBox::Ok)->click();
    ASSERT_TRUE(QTest::qWaitFor([] { return messageBox() == nullptr; }, kWaitMs));

    window->findChild<QPushButton *>("Command25")->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return bandBytes().endsWith(k20); }, kWaitMs)) << "band buttons still work";

    window->hide();
    window->show();
    QTest::qWait(500);
    EXPECT_EQ(visibleMessageBoxes(), 0) << "told once, not at every activation";
}
