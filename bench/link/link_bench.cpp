// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// Figures of the link server on a private bus: property reads per second against the bus's
// own round trip, command-to-event latency with 1, 8 and 32 watching clients, activation
// time and the server's peak memory with 32 clients. Prints, asserts nothing.
#include "PrivateBus.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCall>
#include <QDBusVariant>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QObject>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

const QString service = QStringLiteral("org.tethra.Tethra");
const QString props = QStringLiteral("org.freedesktop.DBus.Properties");
const QString varnexInterface = QStringLiteral("org.tethra.Tethra._Varnex");

QDBusMessage call(QDBusConnection &c, const QString &path, const QString &iface, const QString &member, const QVariantList &args = {})
{
    QDBusMessage m = QDBusMessage::createMethodCall(service, path, iface, member);
    m.setArguments(args);
    return c.call(m, QDBus::Block, 30000);
}

QString connectShared(QDBusConnection &c)
{
    const QString connector = call(c, QStringLiteral("/org/tethra/Tethra"), QStringLiteral("org.tethra.Tethra.ClassFactory"),
                                   QStringLiteral("CreateObject"), {QStringLiteral("{AD389A93-FD1A-11D1-9FFC-8703DD3BB166}")})
                                  .arguments().value(0).value<QDBusObjectPath>().path();
    return call(c, connector, props, QStringLiteral("Get"), {QStringLiteral("org.tethra.Tethra._VarnexConnector"), QStringLiteral("Varnex")})
        .arguments().value(0).value<QDBusVariant>().variant().value<QDBusObjectPath>().path();
}

class Watcher : public QObject
{
    Q_OBJECT
public:
    Watcher(QDBusConnection c, const QString &path, const QElapsedTimer &clock, std::vector<double> &samples, const qint64 &sentAt)
        : m_clock(clock), m_samples(samples), m_sentAt(sentAt)
    {
        c.connect(service, path, QStringLiteral("org.tethra.Tethra.__Varnex"), QStringLiteral("RaiseFreq"), this, SLOT(heard()));
        c.interface()->call(QStringLiteral("GetId"));
    }
public slots:
    void heard() { m_samples.push_back(double(m_clock.nsecsElapsed() - m_sentAt) / 1000.0); }

private:
    const QElapsedTimer &m_clock;
    std::vector<double> &m_samples;
    const qint64 &m_sentAt;
};

double percentile(std::vector<double> v, double p)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[std::min(v.size() - 1, std::size_t(p * double(v.size())))];
}

void readRate()
{
    PrivateBus bus;
    QDBusConnection c = bus.connect(QStringLiteral("reader"));
    const QString object = connectShared(c);
    constexpr int n = 5000;
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < n; ++i)
        call(c, object, props, QStringLiteral("Get"), {varnexInterface, QStringLiteral("Band")});
    const double reads = n / (double(t.nsecsElapsed()) / 1e9);
    t.restart();
    for (int i = 0; i < n; ++i)
        c.interface()->call(QStringLiteral("GetId"));
    const double ceiling = n / (double(t.nsecsElapsed()) / 1e9);
    std::printf("property reads (Band):   %8.0f /s\nbus round trips (GetId): %8.0f /s\nratio:                   %8.2f\n",
                reads, ceiling, reads / ceiling);
}

void latency(int watchers)
{
    PrivateBus bus;
    QDBusConnection caller = bus.connect(QStringLiteral("caller"));
    const QString object = connectShared(caller);
    QElapsedTimer clock;
    clock.start();
    qint64 sentAt = 0;
    std::vector<double> samples;
    std::vector<std::unique_ptr<Watcher>> list;
    for (int i = 0; i < watchers; ++i) {
        QDBusConnection c = bus.connect(QStringLiteral("w%1").arg(i));
        list.push_back(std::make_unique<Watcher>(c, connectShared(c), clock, samples, sentAt));
    }
    constexpr int rounds = 200;
    for (int r = 0; r < rounds; ++r) {
        const std::size_t expected = samples.size() + std::size_t(watchers);
        QDBusMessage m = QDBusMessage::createMethodCall(service, object, varnexInterface, QStringLiteral("SetFreq"));
        m.setArguments({14.0 + r});
        sentAt = clock.nsecsElapsed();
        caller.asyncCall(m);
        const QDeadlineTimer deadline(10000);
        while (samples.size() < expected && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    std::printf("command->event, %2d watchers: median %7.0f us, p99 %7.0f us (%zu deliveries)\n", watchers,
                percentile(samples, 0.5), percentile(samples, 0.99), samples.size());
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
    QString object;
    for (int i = 0; i < 32; ++i) {
        clients.push_back(bus.connect(QStringLiteral("c%1").arg(i)));
        object = connectShared(clients.back());
    }
    for (int i = 0; i < 100; ++i)
        call(clients[std::size_t(i % 32)], object, varnexInterface, QStringLiteral("SetSpot"),
             {7.0, QStringLiteral("CALL%1").arg(i), QString(1000, QLatin1Char('c'))});
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
    readRate();
    for (int watchers : {1, 8, 32})
        latency(watchers);
    activation();
    peakMemory();
    return 0;
}

#include "link_bench.moc"
