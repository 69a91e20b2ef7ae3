// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// bench_band: the real window on the offscreen platform, the real tethra on a private bus,
// a pseudo-terminal board that answers every query. Another client writes Band 200 times,
// at random phases of the 200 ms tick; for each write the time until the last band byte
// reaches the board is taken. Then the process's CPU over 10 s with a steady band, with
// band following on and off. Prints figures only.
#include "LinkClient.h"
#include "PrivateBus.h"
#include "PtyBoard.h"
#include "TempConfigHome.h"
#include "frmMonitor.h"

#include <QApplication>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QElapsedTimer>
#include <QPushButton>
#include <QRandomGenerator>
#include <QtTest/QTest>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int kChanges = 200;

QDBusMessage call(QDBusConnection bus, const QString &path, const QString &interface, const QString &member,
                  const QVariantList &arguments)
{
    QDBusMessage message = QDBusMessage::createMethodCall("org.tethra.Tethra", path, interface, member);
    message.setArguments(arguments);
    return bus.call(message, QDBus::Block, 30000);
}

QString attach(QDBusConnection bus)
{
    const QDBusMessage created = call(bus, "/org/tethra/Tethra", "org.tethra.Tethra.ClassFactory", "CreateObject",
                                      {QStringLiteral("{AD389A93-FD1A-11D1-9FFC-8703DD3BB166}")});
    const QString connector = created.arguments().value(0).value<QDBusObjectPath>().path();
    const QDBusMessage read = call(bus, connector, "org.freedesktop.DBus.Properties", "Get",
                                   {QStringLiteral("org.tethra.Tethra._VarnexConnector"), QStringLiteral("Varnex")});
    return read.arguments().value(0).value<QDBusVariant>().variant().value<QDBusObjectPath>().path();
}

void setBand(QDBusConnection bus, const QString &object, int band)
{
    call(bus, object, "org.freedesktop.DBus.Properties", "Set",
         {QStringLiteral("org.tethra.Tethra._Varnex"), QStringLiteral("Band"), QVariant::fromValue(QDBusVariant(qint32(band)))});
}

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double cpuShareOver(int ms)
{
    const double before = cpuSeconds();
    QTest::qWait(ms);
    return (cpuSeconds() - before) / (ms / 1000.0) * 100.0;
}

int fail(const char *what)
{
    std::fprintf(stderr, "bench_band: %s\n", what);
    return 1;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    TempConfigHome home;
    PtyBoard board;
    PrivateBus bus;
    if (!board.isOpen() || !board.linkAs(1) || !bus.isRunning())
        return fail("no pseudo-terminal or no private bus");
    board.setAnswer([](char byte) { return byte >= 0 && byte < 8 ? QByteArray(1, '\x80') : QByteArray(); });

    QElapsedTimer clock;
    clock.start();
    qint64 bandBytes = 0;
    qint64 lastBandByteAt = 0;
    QObject::connect(&board, &PtyBoard::bytesReceived, [&] {
        qint64 count = 0;
        for (char byte : board.received())
            count += byte >= 0x38 && byte <= 0x3F;
        if (count != bandBytes) {
            bandBytes = count;
            lastBandByteAt = clock.nsecsElapsed();
        }
    });

    const QDBusConnection radio = bus.connect("radio");
    const QString object = attach(radio);
    if (object.isEmpty())
        return fail("the link server did not start");

    tovana::frmMonitor window(bus.connect("monitor"));
    window.show();
    if (!QTest::qWaitFor([&] { return window.link()->isConnected(); }, 10000))
        return fail("the window did not link to the server");
    window.findChild<QPushButton *>("Command32")->click();

    std::vector<double> latencies;
    for (int i = 0; i < kChanges; ++i) {
        QTest::qWait(int(QRandomGenerator::global()->bounded(200)));
        const qint64 expected = bandBytes + 4;
        const qint64 writtenAt = clock.nsecsElapsed();
        setBand(radio, object, i % 9 + 1);
        if (!QTest::qWaitFor([&] { return bandBytes >= expected; }, 10000))
            return fail("a band change never reached the board");
        latencies.push_back(double(lastBandByteAt - writtenAt) / 1e6);
    }
    std::sort(latencies.begin(), latencies.end());
    const auto at = [&](double q) { return latencies[std::min(latencies.size() - 1, size_t(q * double(latencies.size())))]; };
    std::printf("band write -> last band byte on the line, %d changes (tick 200 ms):\n", kChanges);
    std::printf("  median %.1f ms, p99 %.1f ms, max %.1f ms, min %.1f ms\n", at(0.5), at(0.99), latencies.back(), latencies.front());

    const double following = cpuShareOver(10000);
    window.findChild<QPushButton *>("Command31")->click();
    const double notFollowing = cpuShareOver(10000);
    std::printf("CPU of the process (monitor with its acquisition cycle, and the board) over 10 s, steady band:\n");
    std::printf("  band following on %.2f %%, off %.2f %%\n", following, notFollowing);
    return 0;
}
