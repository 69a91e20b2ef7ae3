// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// Figures of the link server on a private bus: property reads per second against the true
// ceiling of the same path (Peer.Ping answered by the tethra process itself: the same two
// hops through the bus), GetAll of the whole object per second, the time from a Set by one
// client to PropertiesChanged in 1, 8 and 32 watching processes, activation time and the
// server's peak memory with 32 clients. Prints, asserts nothing.
//
// Reads and pings run in alternating batches and the medians of the batch rates are
// compared, so that load from elsewhere on the machine falls on both alike. Each watcher
// is a process of its own (this program with --watch), stamping every change on the
// monotonic clock it shares with the writer.
#include "LinkClient.h"
#include "PrivateBus.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusVariant>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <memory>
#include <vector>

namespace {

const QString service = QStringLiteral("org.tethra.Tethra");
const QString props = QStringLiteral("org.freedesktop.DBus.Properties");
const QString varnexInterface = QStringLiteral("org.tethra.Tethra._Varnex");

qint64 monotonicNs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
}

QDBusMessage message(const QString &destination, const QString &path, const QString &iface, const QString &member,
                     const QVariantList &args = {})
{
    QDBusMessage m = QDBusMessage::createMethodCall(destination, path, iface, member);
    m.setArguments(args);
    m.setAutoStartService(!destination.startsWith(QLatin1Char(':')));
    return m;
}

struct Shared {
    QString server; // the tethra process's unique name
    QString object;
};

Shared connectShared(QDBusConnection &c)
{
    const QDBusMessage created =
        c.call(message(service, QStringLiteral("/org/tethra/Tethra"), QStringLiteral("org.tethra.Tethra.ClassFactory"),
                       QStringLiteral("CreateObject"), {QStringLiteral("{AD389A93-FD1A-11D1-9FFC-8703DD3BB166}")}),
               QDBus::Block, 30000);
    const QString connector = created.arguments().value(0).value<QDBusObjectPath>().path();
    const QDBusMessage object =
        c.call(message(created.service(), connector, props, QStringLiteral("Get"),
                       {QStringLiteral("org.tethra.Tethra._VarnexConnector"), QStringLiteral("Varnex")}),
               QDBus::Block, 30000);
    return {created.service(),
            object.arguments().value(0).value<QDBusVariant>().variant().value<QDBusObjectPath>().path()};
}

double percentile(std::vector<double> v, double p)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[std::min(v.size() - 1, std::size_t(p * double(v.size())))];
}

// Calls per second: count calls, one at a time (window 1) or with `window` in flight.
double rate(QDBusConnection &c, const QDBusMessage &m, int count, int window)
{
    QElapsedTimer t;
    t.start();
    if (window == 1) {
        for (int i = 0; i < count; ++i)
            c.call(m, QDBus::Block, 30000);
        return count / (double(t.nsecsElapsed()) / 1e9);
    }
    int sent = 0, done = 0;
    QEventLoop loop;
    std::function<void()> next = [&] {
        ++sent;
        auto *w = new QDBusPendingCallWatcher(c.asyncCall(m, 30000));
        QObject::connect(w, &QDBusPendingCallWatcher::finished, [&, w] {
            w->deleteLater();
            if (++done == count)
                loop.quit();
            else if (sent < count)
                next();
        });
    };
    for (int i = 0; i < window; ++i)
        next();
    loop.exec();
    return count / (double(t.nsecsElapsed()) / 1e9);
}

void readRate()
{
    PrivateBus bus;
    QDBusConnection c = bus.connect(QStringLiteral("reader"));
    const Shared shared = connectShared(c);
    const QDBusMessage get =
        message(shared.server, shared.object, props, QStringLiteral("Get"), {varnexInterface, QStringLiteral("Band")});
    const QDBusMessage getAll =
        message(shared.server, shared.object, props, QStringLiteral("GetAll"), {varnexInterface});
    const QDBusMessage ping = message(shared.server, QStringLiteral("/"), QStringLiteral("org.freedesktop.DBus.Peer"),
                                      QStringLiteral("Ping"));
    for (int window : {1, 16}) {
        std::vector<double> reads, pings, alls;
        for (int batch = 0; batch < 15; ++batch) {
            reads.push_back(rate(c, get, 400, window));
            pings.push_back(rate(c, ping, 400, window));
            alls.push_back(rate(c, getAll, 200, window));
        }
        const double r = percentile(reads, 0.5), p = percentile(pings, 0.5);
        std::printf("%2d in flight: property reads (Band) %7.0f /s, Peer.Ping to tethra %7.0f /s, ratio %.2f; "
                    "GetAll (59 fields) %7.0f /s\n",
                    window, r, p, r / p, percentile(alls, 0.5));
    }
}

// --watch: a watcher process. Prints "ready" once subscribed, then "<Freq> <ns>" for every
// change of Freq, stamped on arrival.
int watchChanges()
{
    tethra::client::LinkClient link;
    link.watchChanges();
    QObject::connect(&link, &tethra::client::LinkClient::subscribed, [] {
        std::printf("ready\n");
        std::fflush(stdout);
    });
    QObject::connect(&link, &tethra::client::LinkClient::propertiesChanged, [](const QVariantMap &changed) {
        const qint64 now = monotonicNs();
        if (changed.contains(QStringLiteral("Freq"))) {
            std::printf("%.0f %lld\n", changed.value(QStringLiteral("Freq")).toDouble(), static_cast<long long>(now));
            std::fflush(stdout);
        }
    });
    QObject::connect(&link, &tethra::client::LinkClient::connectFailed, [] { QCoreApplication::exit(1); });
    QObject::connect(&link, &tethra::client::LinkClient::disconnected, [] { QCoreApplication::exit(0); });
    link.connectToServer();
    return QCoreApplication::exec();
}

void changeLatency(int watchers)
{
    PrivateBus bus;
    QDBusConnection writer = bus.connect(QStringLiteral("writer"));
    const Shared shared = connectShared(writer);
    std::vector<std::unique_ptr<QProcess>> processes;
    QHash<QProcess *, QByteArray> pending;
    QHash<int, std::vector<qint64>> arrivals; // round -> stamps
    int ready = 0;
    for (int i = 0; i < watchers; ++i) {
        auto process = std::make_unique<QProcess>();
        QProcess *p = process.get();
        process->setProcessEnvironment(bus.environment());
        QObject::connect(p, &QProcess::readyReadStandardOutput, [&, p] {
            pending[p] += p->readAllStandardOutput();
            qsizetype end;
            while ((end = pending[p].indexOf('\n')) >= 0) {
                const QByteArray line = pending[p].left(end);
                pending[p].remove(0, end + 1);
                if (line == "ready")
                    ++ready;
                else
                    arrivals[line.split(' ').value(0).toInt()].push_back(line.split(' ').value(1).toLongLong());
            }
        });
        process->start(QCoreApplication::applicationFilePath(), {QStringLiteral("--watch")});
        processes.push_back(std::move(process));
    }
    const QDeadlineTimer setup(60000);
    while (ready < watchers && !setup.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);

    std::vector<double> samples;
    constexpr int rounds = 200;
    for (int r = 1; r <= rounds; ++r) {
        const QDBusMessage set =
            message(shared.server, shared.object, props, QStringLiteral("Set"),
                    {varnexInterface, QStringLiteral("Freq"), QVariant::fromValue(QDBusVariant(double(r)))});
        const qint64 sentAt = monotonicNs();
        writer.asyncCall(set);
        const QDeadlineTimer deadline(10000);
        while (arrivals.value(r).size() < std::size_t(watchers) && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        for (qint64 stamp : arrivals.value(r))
            samples.push_back(double(stamp - sentAt) / 1000.0);
    }
    std::printf("Set -> PropertiesChanged, %2d watching processes: median %6.0f us, p99 %6.0f us (%zu deliveries)\n",
                watchers, percentile(samples, 0.5), percentile(samples, 0.99), samples.size());
    for (auto &process : processes) {
        process->kill();
        process->waitForFinished(5000);
    }
}

void activation()
{
    PrivateBus bus;
    QDBusConnection c = bus.connect(QStringLiteral("first"));
    QElapsedTimer t;
    t.start();
    connectShared(c);
    std::printf("activation to first reply: %.1f ms\n", double(t.nsecsElapsed()) / 1e6);
}

void peakMemory()
{
    PrivateBus bus;
    std::vector<QDBusConnection> clients;
    Shared shared;
    for (int i = 0; i < 32; ++i) {
        clients.push_back(bus.connect(QStringLiteral("c%1").arg(i)));
        shared = connectShared(clients.back());
    }
    for (int i = 0; i < 100; ++i)
        clients[std::size_t(i % 32)].call(
            message(shared.server, shared.object, varnexInterface, QStringLiteral("SetSpot"),
                    {7.0, QStringLiteral("CALL%1").arg(i), QString(1000, QLatin1Char('c'))}),
            QDBus::Block, 30000);
    const uint pid = clients[0].interface()->servicePid(service).value();
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    status.open(QIODevice::ReadOnly);
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM"))
            std::printf("server peak RSS with 32 clients: %s\n", line.mid(6).trimmed().constData());
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (app.arguments().contains(QStringLiteral("--watch")))
        return watchChanges();
    readRate();
    for (int watchers : {1, 8, 32})
        changeLatency(watchers);
    activation();
    peakMemory();
    return 0;
}
