// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The acquisition cycle against a hostile board (tovana-boardsim with no line pacing):
//  1. a soak of doubled replies and a flood of stray bytes: how often the port closed
//     under the cycle (after each closure the port is opened again and the cycle goes on);
//  2. 30 s of doubled replies, then a healed board: the query rate in each second after
//     healing, against the rate of a board that was healthy from the start.
// Prints figures only.
//   bench_hostile_line [soak-minutes]     (default 10)
#include "BareCycle.h"
#include "CommPort.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>

using tovana::CommPort;

namespace {

void runFor(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

void startSimulator(QProcess *sim, const QStringList &options)
{
    sim->start(QStringLiteral(TOVANA_BOARDSIM_PROGRAM), options);
    while (sim->waitForReadyRead(10000)) {
        if (sim->readLine().startsWith("ready "))
            return;
    }
    std::fprintf(stderr, "bench_hostile_line: tovana-boardsim did not start\n");
    std::exit(1);
}

// The bare acquisition cycle on COM1, counting completed cycles and port closures. A closed
// port is opened again at once, so one soak counts every closure.
class Line {
public:
    explicit Line(int settleMicros = 0) : m_cycle(1, settleMicros)
    {
        m_cycle.readings = [this](const auto &readings) {
            ++cycles;
            // The simulator's channel C reads 16 * C unless told otherwise.
            for (std::size_t c = 0; c < readings.size(); ++c)
                if (readings[c] != 16 * int(c + 1)) {
                    ++wrongCycles;
                    break;
                }
        };
        QObject::connect(&m_cycle.port(), &CommPort::portFailed, [this](const QString &message) {
            if (closures++ == 0)
                std::printf("  first closure: %s\n", qPrintable(message));
            QTimer::singleShot(0, [this] { start(); });
        });
    }

    void start()
    {
        if (!m_cycle.port().isOpen() && !m_cycle.port().open()) {
            std::fprintf(stderr, "bench_hostile_line: %s\n", qPrintable(m_cycle.port().errorString()));
            std::exit(1);
        }
        m_cycle.restart();
    }

    void stop()
    {
        m_cycle.stop();
        m_cycle.port().close();
    }

    long long cycles = 0;
    long long wrongCycles = 0; // cycles with a reading that is not the board's
    int closures = 0;

private:
    BareCycle m_cycle;
};

// Queries per second over `milliseconds`, eight to a completed cycle.
double queryRate(Line &line, int milliseconds)
{
    const long long before = line.cycles;
    QElapsedTimer clock;
    clock.start();
    runFor(milliseconds);
    return 8.0 * double(line.cycles - before) / (double(clock.nsecsElapsed()) / 1e9);
}

// 30 s of doubled replies, then a healed board: per second after healing, the query rate
// and how many cycles still took an old byte as a reading.
void heal(int settleMicros)
{
    QProcess sim;
    startSimulator(&sim, {"--double", "1", "--heal-after", "30"});
    QElapsedTimer sinceStart;
    sinceStart.start();
    Line line(settleMicros);
    line.start();
    runFor(20000);
    std::printf("settle %d us, every reply doubled: %.0f queries/s\n", settleMicros, queryRate(line, 10000));
    runFor(int(std::max<qint64>(0, 30000 - sinceStart.elapsed())));
    std::printf("  healed, each second after: queries/s (cycles with an old byte / all cycles):");
    for (int second = 0; second < 15; ++second) {
        const long long wrong = line.wrongCycles, cycles = line.cycles;
        const double rate = queryRate(line, 1000);
        std::printf(" %.0f (%lld/%lld)", rate, line.wrongCycles - wrong, line.cycles - cycles);
    }
    std::printf("\n  %d port closures\n", line.closures);
    line.stop();
    sim.terminate();
    sim.waitForFinished(10000);
}

void stopSimulator(QProcess *sim)
{
    sim->terminate();
    sim->waitForFinished(10000);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", home.path().toLocal8Bit());
    const int soakMinutes = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 10;

    {
        QProcess sim;
        startSimulator(&sim, {"--double", "0.5", "--stray", "5000"});
        Line line;
        line.start();
        runFor(soakMinutes * 60 * 1000);
        std::printf("hostile soak, %d min of doubled replies (half of them) and 5000 stray bytes/s: "
                    "%d port closures, %lld cycles\n",
                    soakMinutes, line.closures, line.cycles);
        line.stop();
        stopSimulator(&sim);
    }
    {
        QProcess sim;
        startSimulator(&sim, {});
        Line line;
        line.start();
        runFor(2000);
        std::printf("healthy board: %.0f queries/s\n", queryRate(line, 10000));
        line.stop();
        stopSimulator(&sim);
    }
    heal(0);
    heal(1000);
    return 0;
}
