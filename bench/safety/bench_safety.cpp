// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// bench_safety: (1) the station host on a pseudo-terminal board that answers every query;
// channel 1 goes beyond a one-reading limit 200 times, and the time from the board's
// beyond reply to the action's last relay byte reaching the board is taken (the trip is
// then acknowledged once the reading is back). A pseudo-terminal has no line speed, so
// the bytes the line carries in between at 19200 baud are added as line time. (2) The
// memory a full day of history takes for eight meters. (3) The station core's CPU per
// acquisition cycle with eight limits beside none, and the history's share, as a part of
// a core at the line's limit of 120 cycles/s. Prints figures only.
#include "MemoryStore.h"
#include "PtyBoard.h"
#include "Settings.h"
#include "Station.h"
#include "StationHost.h"
#include "TempConfigHome.h"
#include "Figures.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <QLoggingCategory>

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

using namespace tovana;

namespace {

constexpr int kTrips = 200;
constexpr double kByteMs = 10.0 / 19200 * 1000; // start, 8 data and stop bit

long maxRssKiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

void latency()
{
    TempConfigHome home;
    home.writeStore("[StartUp]\nMeter Response=0\n[Limits]\nLimit0=Above\nValue0=3\nReadings0=1\nWhileTx0=False\n"
                    "Action0=\"1=Off 2=On\"\n");
    PtyBoard board;
    board.linkAs(1);
    QElapsedTimer clock;
    clock.start();
    bool beyond = false;
    qint64 sentAt = -1;
    board.setAnswer([&](char byte) {
        if (byte == '\x01' && beyond && sentAt < 0)
            sentAt = clock.nsecsElapsed();
        if (byte >= 0 && byte < 8)
            return QByteArray(1, byte == '\x01' && beyond ? char(200) : '\x40');
        return QByteArray();
    });
    StationHost host(QStringLiteral("unix:path=/nonexistent-bus"));
    host.activate();
    // Waits serving events until `done` holds, looking again at every byte the board gets
    // (QTest::qWaitFor would sleep 10 ms between looks and slow the line down).
    const auto serveUntil = [&](const std::function<bool()> &done, int timeoutMs) {
        QEventLoop loop;
        QTimer timeout;
        timeout.setSingleShot(true);
        QObject::connect(&timeout, &QTimer::timeout, &loop, &QEventLoop::quit);
        const QMetaObject::Connection seen = QObject::connect(&board, &PtyBoard::bytesReceived, &loop, [&] {
            if (done())
                loop.quit();
        });
        timeout.start(timeoutMs);
        if (!done())
            loop.exec();
        QObject::disconnect(seen);
        return done();
    };
    std::vector<double> ms;
    for (int trip = 0; trip < kTrips; ++trip) {
        const int pause = 20 + trip % 7; // at a different phase of the cycle each time
        serveUntil([&, until = clock.elapsed() + pause] { return clock.elapsed() >= until; }, pause);
        const qsizetype from = board.received().size();
        sentAt = -1;
        beyond = true;
        qint64 arrived = -1;
        serveUntil(
            [&] {
                if (arrived < 0 && board.received().indexOf('\x23', from) >= 0)
                    arrived = clock.nsecsElapsed();
                return arrived >= 0;
            },
            5000);
        if (arrived < 0 || sentAt < 0) {
            std::printf("trip %d: no trip seen\n", trip);
            return;
        }
        ms.push_back(double(arrived - sentAt) / 1e6);
        beyond = false;
        // The acknowledgement waits for a reading back within, as the operator's would.
        if (!serveUntil([&] { return host.station().reading(0) < 3; }, 5000)) {
            std::printf("trip %d: the reading did not come back\n", trip);
            return;
        }
        // The relays stay as the trip left them: the next trip writes its bytes again. A
        // click here would restart the cycle under a reply still on its way.
        host.perform(host.station().acknowledge(0));
    }
    // After the beyond reply: channels 2..8 queried and answered, then the two relay bytes.
    const double line = (7 * 2 + 2) * kByteMs;
    std::printf("beyond reply -> action's last byte, %d trips, pseudo-terminal: median %.2f ms, p99 %.2f ms;\n"
                "  with the %d bytes between them at 19200 baud (%.2f ms): median %.2f ms, p99 %.2f ms\n",
                kTrips, bench::percentile(ms, 0.5), bench::percentile(ms, 0.99), 16, line,
                bench::percentile(ms, 0.5) + line, bench::percentile(ms, 0.99) + line);
}

void memory()
{
    const long before = maxRssKiB();
    station::History history;
    std::array<double, station::kMeterCount> readings{};
    for (std::int64_t s = 0; s <= station::History::kSeconds; ++s) {
        readings.fill(double(s % 100));
        history.add(s * 1000, readings);
    }
    std::printf("history of 24 h for 8 meters: %.2f MiB held (peak RSS grew %.2f MiB)\n",
                double(history.memoryBytes()) / (1 << 20), double(maxRssKiB() - before) / 1024);
}

// Microseconds of CPU per completed cycle, fed straight into the core.
double perCycleMicros(bool limits)
{
    station::Station station;
    station::Preferences prefs;
    prefs.meterResponse = 0;
    station::MemoryStore store;
    station.load(prefs, station::GetMultiplier(store, prefs.meters));
    std::int64_t now = 0;
    station.setClock([&] { return now += 8; });
    station.portOpened();
    if (limits) {
        station::LimitTable table;
        for (station::LimitConfig &limit : table) {
            limit.kind = station::LimitKind::Above;
            limit.value = 10; // never reached: every reading is counted, none trips
            limit.action[0] = station::RelayMove::Off;
        }
        station.setLimits(table);
    }
    constexpr int kCycles = 200000;
    const auto start = std::chrono::steady_clock::now();
    for (int cycle = 0; cycle < kCycles; ++cycle)
        for (int channel = 0; channel < 8; ++channel)
            station.bytesReceived(std::string(1, char(cycle + channel)));
    const std::chrono::duration<double, std::micro> spent = std::chrono::steady_clock::now() - start;
    return spent.count() / kCycles;
}

double historyMicrosPerCycle()
{
    station::History history;
    std::array<double, station::kMeterCount> readings{};
    constexpr int kCycles = 2000000;
    const auto start = std::chrono::steady_clock::now();
    for (int cycle = 0; cycle < kCycles; ++cycle) {
        readings[cycle % 8] = cycle;
        history.add(std::int64_t(cycle) * 8, readings);
    }
    const std::chrono::duration<double, std::micro> spent = std::chrono::steady_clock::now() - start;
    return spent.count() / kCycles;
}

void cpu()
{
    // The better of three runs each, taken in turn, so neither pays for a cold start.
    double without = 1e9;
    double with = 1e9;
    for (int run = 0; run < 3; ++run) {
        without = std::min(without, perCycleMicros(false));
        with = std::min(with, perCycleMicros(true));
    }
    const double history = historyMicrosPerCycle();
    std::printf("station core per cycle (history always kept): %.2f us without limits, %.2f us with 8 limits;\n"
                "  history alone %.3f us per cycle; at 120 cycles/s: %.4f %% vs %.4f %% of a core "
                "(history %.4f %%)\n",
                without, with, history, without * 120 / 1e4, with * 120 / 1e4, history * 120 / 1e4);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    // The trips' log lines would drown the figures.
    QLoggingCategory::setFilterRules(QStringLiteral("default.info=false"));
    memory();
    cpu();
    latency();
    return 0;
}
