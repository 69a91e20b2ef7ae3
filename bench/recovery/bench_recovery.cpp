// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// bench_recovery: the real window on the offscreen platform. The board: tovana-boardsim on
// Com 3, stopped and started again on the same link 20 times; for each, the time from the
// new simulator being ready to the first reading shown (the monitor tries the port every
// 2 s, so the figure spreads over that period). The link server: the real tethra on a
// private bus, killed 20 times under band following; for each, a radio client writes Band
// at once on the new server it starts, and the time from that write to the last band byte
// on the line is taken. Prints figures only.
#include "AGauge.h"
#include "CommPort.h"
#include "LinkClient.h"
#include "LinkFollower.h"
#include "PrivateBus.h"
#include "PtyBoard.h"
#include "TempConfigHome.h"
#include "frmMonitor.h"
#include "Figures.h"
#include "WaitUntil.h"

#include <QApplication>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QElapsedTimer>
#include <QProcess>
#include <QPushButton>

#include <csignal>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr int kRounds = 20;

void report(const char *what, const std::vector<double> &ms)
{
    const bench::Spread s = bench::spread(ms);
    std::printf("%s, %zu rounds: median %.0f ms, p90 %.0f ms, max %.0f ms, min %.0f ms\n", what, ms.size(), s.median,
                s.p90, s.max, s.min);
    std::fflush(stdout);
}

int fail(const char *what)
{
    std::fprintf(stderr, "bench_recovery: %s\n", what);
    return 1;
}

// The simulator on Com 3, ready to be opened; null when it did not come up.
std::unique_ptr<QProcess> startBoards()
{
    auto sim = std::make_unique<QProcess>();
    sim->start(TOVANA_BOARDSIM_PROGRAM, {"--port", "3", "--baud", "19200"});
    if (!bench::waitUntil([&] { return sim->canReadLine() || sim->state() == QProcess::NotRunning; }) ||
        !sim->readLine().startsWith("ready"))
        return nullptr;
    return sim;
}

QDBusMessage call(QDBusConnection bus, const QString &service, const QString &path, const QString &interface,
                  const QString &member, const QVariantList &arguments)
{
    QDBusMessage message = QDBusMessage::createMethodCall(service, path, interface, member);
    message.setArguments(arguments);
    return bus.call(message, QDBus::Block, 30000);
}

// A connector and the shared object on whichever server answers (activated when none runs).
QString attach(QDBusConnection bus)
{
    const QString name = QStringLiteral("org.tethra.Tethra");
    const QDBusMessage created = call(bus, name, "/org/tethra/Tethra", "org.tethra.Tethra.ClassFactory", "CreateObject",
                                      {QStringLiteral("{AD389A93-FD1A-11D1-9FFC-8703DD3BB166}")});
    const QString connector = created.arguments().value(0).value<QDBusObjectPath>().path();
    if (connector.isEmpty())
        return {};
    const QDBusMessage read = call(bus, name, connector, "org.freedesktop.DBus.Properties", "Get",
                                   {QStringLiteral("org.tethra.Tethra._VarnexConnector"), QStringLiteral("Varnex")});
    return read.arguments().value(0).value<QDBusVariant>().variant().value<QDBusObjectPath>().path();
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    TempConfigHome home;
    home.writeStore("[StartUp]\nMeter-ComPort=\"3\"\nMeter Response=\"0\"\n");

    std::unique_ptr<QProcess> sim = startBoards();
    if (!sim)
        return fail("the simulated boards did not start");
    PrivateBus bus;
    if (!bus.isRunning())
        return fail("no private bus");
    tovana::frmMonitor window(bus.address());
    window.show();
    const tovana::AGauge *gauge = window.gauge(0);
    if (!bench::waitUntil([&] { return window.MSComm1()->isOpen() && window.link()->client()->isConnected(); }))
        return fail("the monitor did not open its port or link");

    std::vector<double> boardBack;
    for (int round = 0; round < kRounds; ++round) {
        sim->terminate();
        sim->waitForFinished(5000);
        if (!bench::waitUntil([&] { return gauge->noReading(); }))
            return fail("the board's loss was never shown");
        QElapsedTimer back;
        sim = startBoards();
        back.start();
        if (!sim)
            return fail("the simulated boards did not start again");
        if (!bench::waitUntil([&] { return !gauge->noReading(); }))
            return fail("the readings never came back");
        boardBack.push_back(double(back.nsecsElapsed()) / 1e6);
    }
    report("board back on its link -> first reading shown", boardBack);

    PtyBoard board;
    if (!board.isOpen() || !board.linkAs(4))
        return fail("no pseudo-terminal");
    board.setAnswer([](char byte) { return byte >= 0 && byte < 8 ? QByteArray(1, '\x80') : QByteArray(); });
    // The second part runs on a pseudo-terminal board that answers at once (Com 4).
    window.hide();
    window.MSComm1()->close();
    window.MSComm1()->setPortNumber(4);
    window.SaveSettings();
    window.show();
    if (!bench::waitUntil([&] { return window.MSComm1()->isOpen() && window.link()->client()->isConnected(); }))
        return fail("the monitor did not open the pseudo-terminal or its link");
    window.findChild<QPushButton *>("Command32")->click();

    QDBusConnection radio = bus.connect("radio");
    const auto bandBytes = [&] {
        const QByteArray received = board.received();
        return std::count_if(received.begin(), received.end(), [](char byte) { return byte >= 0x38 && byte <= 0x3F; });
    };
    std::vector<double> serverBack;
    for (int round = 0; round < kRounds; ++round) {
        const QDBusMessage owner = call(radio, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                                        "GetConnectionUnixProcessID", {QStringLiteral("org.tethra.Tethra")});
        const uint pid = owner.arguments().value(0).toUInt();
        if (pid == 0 || ::kill(pid_t(pid), SIGKILL) != 0)
            return fail("no link server to stop");
        // The name goes with the killed process a moment later; the first call after that
        // starts a new server.
        QString object;
        bench::waitUntil([&] { return !(object = attach(radio)).isEmpty(); });
        if (object.isEmpty())
            return fail("the link server did not start again");
        const qint64 before = bandBytes();
        QElapsedTimer written;
        call(radio, "org.tethra.Tethra", object, "org.freedesktop.DBus.Properties", "Set",
             {QStringLiteral("org.tethra.Tethra._Varnex"), QStringLiteral("Band"),
              QVariant::fromValue(QDBusVariant(qint32(round % 2 ? 3 : 5)))});
        written.start();
        if (!bench::waitUntil([&] { return bandBytes() >= before + 4; }))
            return fail("band following never took up the new link server");
        serverBack.push_back(double(written.nsecsElapsed()) / 1e6);
    }
    report("link server killed and started anew, Band written there -> last band byte", serverBack);
    sim->terminate();
    sim->waitForFinished(5000);
    return 0;
}
