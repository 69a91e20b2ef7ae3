// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// How fast a band change on the radio reaches the link server through tethra-rigctl, and
// what the bridge costs while it only polls. Runs a dummy radio (rigctld -m 1), a private
// bus with the real tethra, and the bridge at its default 200 ms interval; prints figures.
#include "PrivateBus.h"
#include "RigctldProcess.h"
#include "Figures.h"
#include "ProcessUse.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <QDBusVariant>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

const QString kService = QStringLiteral("org.tethra.Tethra");
constexpr int kChanges = 100;
constexpr int kIdleSeconds = 10;

QString sharedObject(const QDBusConnection &link)
{
    QDBusMessage create = QDBusMessage::createMethodCall(kService, QStringLiteral("/org/tethra/Tethra"),
                                                         QStringLiteral("org.tethra.Tethra.ClassFactory"),
                                                         QStringLiteral("CreateObject"));
    create << QStringLiteral("{AD389A93-FD1A-11D1-9FFC-8703DD3BB166}");
    const QDBusReply<QDBusObjectPath> connector = link.call(create, QDBus::Block, 30000);
    if (!connector.isValid())
        return {};
    QDBusMessage get = QDBusMessage::createMethodCall(
        kService, connector.value().path(), QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << QStringLiteral("org.tethra.Tethra._VarnexConnector") << QStringLiteral("Varnex");
    const QDBusReply<QDBusVariant> object = link.call(get, QDBus::Block, 30000);
    return object.isValid() ? object.value().variant().value<QDBusObjectPath>().path() : QString();
}

int readLong(const QDBusConnection &link, const QString &path, const QString &field)
{
    QDBusMessage get = QDBusMessage::createMethodCall(kService, path, QStringLiteral("org.freedesktop.DBus.Properties"),
                                                      QStringLiteral("Get"));
    get << QStringLiteral("org.tethra.Tethra._Varnex") << field;
    const QDBusReply<QDBusVariant> reply = link.call(get, QDBus::Block, 10000);
    return reply.isValid() ? reply.value().variant().toInt() : -1;
}

// Waits, by looking every 2 ms, until the link server's Band reads the wanted value.
bool waitForBand(const QDBusConnection &link, const QString &path, int band, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < timeoutMs) {
        if (readLong(link, path, QStringLiteral("Band")) == band)
            return true;
        QThread::msleep(2);
    }
    return false;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (qEnvironmentVariableIsEmpty("TOVANA_BUILD_DIR"))
        qputenv("TOVANA_BUILD_DIR", TOVANA_BUILD_DIR);

    RigctldProcess rig;
    PrivateBus bus;
    if (!rig.start() || !bus.isRunning()) {
        std::fprintf(stderr, "bench-rigctl: cannot start rigctld or the private bus\n");
        return 1;
    }
    const QDBusConnection link = bus.connect(QStringLiteral("bench"));
    const QString path = sharedObject(link);
    QProcess bridge;
    bridge.setProcessEnvironment(bus.environment());
    bridge.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    bridge.start(QStringLiteral(TETHRA_RIGCTL), {QStringLiteral("--host"), QStringLiteral("127.0.0.1"),
                                                 QStringLiteral("--port"), QString::number(rig.port())});
    if (path.isEmpty() || !bridge.waitForStarted(10000) || !rig.set(QStringLiteral("F 7074000")) ||
        !waitForBand(link, path, 3, 30000)) {
        std::fprintf(stderr, "bench-rigctl: the bridge did not come up\n");
        return 1;
    }

    std::vector<double> latenciesMs;
    for (int i = 0; i < kChanges; ++i) {
        const bool to20m = i % 2 == 0;
        // A random pause, so that changes do not fall in step with the bridge's polls.
        QThread::msleep(QRandomGenerator::global()->bounded(250));
        QElapsedTimer timer;
        timer.start();
        if (!rig.set(to20m ? QStringLiteral("F 14074000") : QStringLiteral("F 7074000")) ||
            !waitForBand(link, path, to20m ? 5 : 3, 10000)) {
            std::fprintf(stderr, "bench-rigctl: change %d never reached the link server\n", i);
            return 1;
        }
        latenciesMs.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    const bench::Spread spread = bench::spread(latenciesMs);
    std::printf("band change on the radio -> Band in the link server, %d changes, 200 ms polling:\n", kChanges);
    std::printf("  min %.1f ms, median %.1f ms, p99 %.1f ms, max %.1f ms\n", spread.min, spread.median, spread.p99,
                spread.max);

    const double before = bench::cpuSeconds(bridge.processId());
    QThread::sleep(kIdleSeconds);
    const double used = bench::cpuSeconds(bridge.processId()) - before;
    std::printf("bridge CPU while idle-polling for %d s: %.2f s (%.2f %% of one core)\n", kIdleSeconds, used,
                100.0 * used / kIdleSeconds);

    bridge.kill();
    bridge.waitForFinished(10000);
    return 0;
}
