// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// Acquisition speed and cost against tovana-boardsim: cycles per second on a 19200 baud
// line with no settle delay, as a share of what the line allows, and the CPU time of
// this process while acquiring and while the board is silent. Prints figures only.
#include "BareCycle.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <sys/resource.h>

namespace {

constexpr int kBaud = 19200;
// Eight query/reply pairs at 10 bits a byte each way.
constexpr double kLineLimit = kBaud / 10.0 / 16.0;

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void runFor(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

bool startSimulator(QProcess *sim, const QStringList &options)
{
    sim->start(QStringLiteral(TOVANA_BOARDSIM_PROGRAM), options);
    while (sim->waitForReadyRead(10000)) {
        if (sim->readLine().startsWith("ready "))
            return true;
    }
    return false;
}

struct Figures {
    double cyclesPerSecond;
    double cpuShare;
};

Figures measure(const QStringList &simulatorOptions, int milliseconds)
{
    QProcess sim;
    if (!startSimulator(&sim, simulatorOptions)) {
        std::fprintf(stderr, "bench_boardio: tovana-boardsim did not start\n");
        std::exit(1);
    }
    BareCycle cycle(1);
    if (!cycle.port().open()) {
        std::fprintf(stderr, "bench_boardio: %s\n", qPrintable(cycle.port().errorString()));
        std::exit(1);
    }
    int cycles = 0;
    cycle.readings = [&cycles](const auto &) { ++cycles; };
    cycle.restart();
    runFor(500); // let the line settle into its pace
    cycles = 0;
    const double cpuBefore = cpuSeconds();
    QElapsedTimer clock;
    clock.start();
    runFor(milliseconds);
    const double elapsed = static_cast<double>(clock.nsecsElapsed()) / 1e9;
    const Figures figures{cycles / elapsed, (cpuSeconds() - cpuBefore) / elapsed};
    cycle.stop();
    cycle.port().close();
    sim.terminate();
    sim.waitForFinished(10000);
    return figures;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", home.path().toLocal8Bit());

    const QStringList paced{"--baud", QString::number(kBaud)};
    const Figures acquiring = measure(paced, 5000);
    std::printf(
        "acquiring at %d baud, settle 0: %.1f cycles/s = %.3f of the line limit (%.0f/s); CPU %.2f %% of a core\n",
        kBaud, acquiring.cyclesPerSecond, acquiring.cyclesPerSecond / kLineLimit, kLineLimit, 100 * acquiring.cpuShare);
    // With no line pacing the board answers at once: what is left per query is the cost of
    // the round trip through the pseudo-terminal and the two processes' wake-ups.
    const Figures unpaced = measure({}, 5000);
    std::printf("unpaced line: %.1f cycles/s, %.0f us per query and reply\n", unpaced.cyclesPerSecond,
                1e6 / unpaced.cyclesPerSecond / 8);
    const Figures silent = measure(paced + QStringList{"--silent"}, 10000);
    std::printf("silent board for 10 s: %.0f cycles, CPU %.3f %% of a core\n", silent.cyclesPerSecond * 10,
                100 * silent.cpuShare);
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("peak RSS: %ld KiB\n", usage.ru_maxrss);
    return 0;
}
