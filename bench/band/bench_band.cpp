// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// bench_band: the real window on the offscreen platform, the real tethra on a private bus,
// a pseudo-terminal board that answers every query. Another client writes Band 200 times,
// at random phases of the 200 ms tick; for each write the time until the last band byte
// reaches the board is taken: once with the server's announcements, once on a bus that
// withholds them (the tick alone). With the transmit interlock on, PTT 1, a new band, then
// PTT 0: the time from the PTT 0 write to the held band's last byte. Then the process's
// CPU over 10 s with a steady band: following on, with the interlock too, and off. Prints
// figures only.
#include "LinkClient.h"
#include "LinkFollower.h"
#include "Station.h"
#include "StationHost.h"
#include "PrivateBus.h"
#include "PtyBoard.h"
#include "TempConfigHome.h"
#include "frmMonitor.h"
#include "Figures.h"
#include "ProcessUse.h"
#include "WaitUntil.h"

#include <QApplication>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QElapsedTimer>
#include <QPushButton>
#include <QRandomGenerator>
#include <QtTest/QTest>

#include <cstdio>
#include <memory>
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

void set(QDBusConnection bus, const QString &object, const QString &field, int value)
{
    call(bus, object, "org.freedesktop.DBus.Properties", "Set",
         {QStringLiteral("org.tethra.Tethra._Varnex"), field, QVariant::fromValue(QDBusVariant(qint32(value)))});
}

double cpuShareOver(int ms)
{
    const double before = bench::cpuSecondsOfThisProcess();
    QTest::qWait(ms);
    return (bench::cpuSecondsOfThisProcess() - before) / (ms / 1000.0) * 100.0;
}

// Counts the band relay bytes (0x38..0x3F) the board receives and when the last one came.
class BandBytes {
public:
    BandBytes(PtyBoard &board) : m_board(board)
    {
        m_clock.start();
        QObject::connect(&board, &PtyBoard::bytesReceived, &m_context, [this] { take(); });
    }
    qint64 count() const { return m_count; }
    qint64 lastAt() const { return m_lastAt; }
    qint64 now() const { return m_clock.nsecsElapsed(); }

private:
    void take()
    {
        const QByteArray received = m_board.received();
        for (; m_scanned < received.size(); ++m_scanned) {
            const char byte = received[m_scanned];
            if (byte >= 0x38 && byte <= 0x3F) {
                ++m_count;
                m_lastAt = now();
            }
        }
    }

    PtyBoard &m_board;
    QObject m_context;
    QElapsedTimer m_clock;
    qsizetype m_scanned = 0;
    qint64 m_count = 0;
    qint64 m_lastAt = 0;
};

struct Station {
    std::unique_ptr<PrivateBus> bus;
    QDBusConnection radio{QString()};
    QString object;
    std::unique_ptr<tovana::frmMonitor> window;
};

// A bus, a radio on it and the window linked to it with band following on; false on failure.
bool open(Station &station, PrivateBus::Changes changes)
{
    station.bus = std::make_unique<PrivateBus>(changes);
    if (!station.bus->isRunning())
        return false;
    station.radio = station.bus->connect("radio");
    station.object = attach(station.radio);
    if (station.object.isEmpty())
        return false;
    station.window = std::make_unique<tovana::frmMonitor>(station.bus->address());
    station.window->show();
    if (!bench::waitUntil([&] { return station.window->link()->client()->isConnected(); }))
        return false;
    station.window->findChild<QPushButton *>("Command32")->click();
    return true;
}

void report(const char *what, std::vector<double> latencies)
{
    const bench::Spread s = bench::spread(latencies);
    std::printf("%s, %zu changes:\n", what, latencies.size());
    std::printf("  median %.1f ms, p99 %.1f ms, max %.1f ms, min %.1f ms\n", s.median, s.p99, s.max, s.min);
    std::fflush(stdout);
}

// Band writes at random phases of the tick, each to the last band byte on the line.
bool bandChanges(Station &station, BandBytes &bytes, int &band, std::vector<double> &latencies)
{
    for (int i = 0; i < kChanges; ++i) {
        QTest::qWait(int(QRandomGenerator::global()->bounded(200)));
        band = band % 9 + 1;
        const qint64 expected = bytes.count() + 4;
        const qint64 writtenAt = bytes.now();
        set(station.radio, station.object, QStringLiteral("Band"), band);
        if (!bench::waitUntil([&] { return bytes.count() >= expected; }))
            return false;
        latencies.push_back(double(bytes.lastAt() - writtenAt) / 1e6);
    }
    return true;
}

// Under transmit a new band is held back; the PTT 0 write to its last band byte.
bool heldBands(Station &station, BandBytes &bytes, int &band, std::vector<double> &latencies)
{
    const tovana::station::Station &interlock = station.window->station();
    for (int i = 0; i < kChanges; ++i) {
        set(station.radio, station.object, QStringLiteral("PTT"), 1);
        if (!bench::waitUntil([&] { return interlock.holds(); }))
            return false;
        band = band % 9 + 1;
        const qint64 before = bytes.count();
        set(station.radio, station.object, QStringLiteral("Band"), band);
        QTest::qWait(int(QRandomGenerator::global()->bounded(20, 200)));
        if (bytes.count() != before)
            return false;
        const qint64 writtenAt = bytes.now();
        set(station.radio, station.object, QStringLiteral("PTT"), 0);
        if (!bench::waitUntil([&] { return bytes.count() >= before + 4; }))
            return false;
        latencies.push_back(double(bytes.lastAt() - writtenAt) / 1e6);
    }
    return true;
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
    if (!board.isOpen() || !board.linkAs(1))
        return fail("no pseudo-terminal");
    board.setAnswer([](char byte) { return byte >= 0 && byte < 8 ? QByteArray(1, '\x80') : QByteArray(); });
    BandBytes bytes(board);
    int band = 0;

    {
        Station tickOnly;
        if (!open(tickOnly, PrivateBus::Changes::Withheld))
            return fail("no private bus, link server or link (announcements withheld)");
        std::vector<double> latencies;
        if (!bandChanges(tickOnly, bytes, band, latencies))
            return fail("a band change never reached the board (tick only)");
        report("band write -> last band byte, announcements withheld (200 ms tick only)", latencies);
    }

    Station station;
    if (!open(station, PrivateBus::Changes::Delivered))
        return fail("no private bus, link server or link");
    std::vector<double> latencies;
    if (!bandChanges(station, bytes, band, latencies))
        return fail("a band change never reached the board");
    report("band write -> last band byte, with the server's announcements", latencies);

    const double following = cpuShareOver(10000);
    station.window->host()->perform(station.window->station().setHoldWhileTx(true));
    latencies.clear();
    if (!heldBands(station, bytes, band, latencies))
        return fail("a held band went out under transmit or never reached the board");
    report("PTT 1 -> 0 write -> last byte of the band held under transmit", latencies);
    const double withInterlock = cpuShareOver(10000);
    station.window->findChild<QPushButton *>("Command31")->click();
    station.window->host()->perform(station.window->station().setHoldWhileTx(false));
    const double notFollowing = cpuShareOver(10000);
    std::printf("CPU of the process (monitor with its acquisition cycle, and the board) over 10 s, steady band:\n");
    std::printf("  band following on %.2f %%, on with the interlock %.2f %%, off %.2f %%\n", following, withInterlock,
                notFollowing);
    return 0;
}
