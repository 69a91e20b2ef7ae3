// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// bench_soak: memory and CPU over a long run, and errors, which must be none.
//   bench_soak [--minutes M] [--clients N]
//     The real window (offscreen) against tovana-boardsim at 19200 baud with no settle
//     delay, band following on, a relay click every second, and the real tethra on a
//     private bus fed by N clients (32) in a process of their own: one writes Band every
//     second, the others read, write, call commands and read everything, a few watch the
//     changes, and one of them lets go of its objects and takes new ones every minute.
//     Prints each minute the RSS and CPU of every process, and at the end the growth of
//     each after the first minute.
//   bench_soak --server-calls N [--clients C]
//     tethra alone under N mixed calls (1,000,000) from C clients (16), 8 in flight each:
//     reads, writes, commands, GetAll, introspection, connectors made and released.
// Prints figures only; the exit status is 1 when anything went wrong.
#include "PrivateBus.h"
#include "TempConfigHome.h"
#include "frmMonitor.h"
#include "LinkClient.h"
#include "LinkFollower.h"

#include <QApplication>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusReply>
#include <QDBusVariant>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QTimer>
#include <QtTest/QTest>

#include <unistd.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

namespace {

const QString kService = QStringLiteral("org.tethra.Tethra");
const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");
const QString kVarnex = QStringLiteral("org.tethra.Tethra._Varnex");
const QString kConnector = QStringLiteral("org.tethra.Tethra._VarnexConnector");
const QString kClsid = QStringLiteral("{AD389A93-FD1A-11D1-9FFC-8703DD3BB166}");

// Runs the event loop itself (QTest's waits sleep between rounds of events, which would
// slow every exchange on the line) until the condition holds or the time is up.
bool runUntil(const std::function<bool()> &condition, int timeoutMs)
{
    QEventLoop loop;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (condition())
            loop.quit();
    });
    check.start(20);
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    loop.exec();
    return condition();
}

// ---- processes -----------------------------------------------------------------------

struct Usage {
    double rssMiB = 0;
    double cpuSeconds = 0;
};

Usage usageOf(qint64 pid)
{
    Usage usage;
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (status.open(QIODevice::ReadOnly))
        for (const QByteArray &line : status.readAll().split('\n'))
            if (line.startsWith("VmRSS:"))
                usage.rssMiB = line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (stat.open(QIODevice::ReadOnly)) {
        // Fields after the command name, which ends with the last ')': utime is the 12th.
        const QByteArray text = stat.readAll();
        const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
        usage.cpuSeconds = (fields.value(11).toDouble() + fields.value(12).toDouble()) / double(sysconf(_SC_CLK_TCK));
    }
    return usage;
}

qint64 serverPid(QDBusConnection bus)
{
    const QDBusReply<uint> pid = bus.interface()->servicePid(kService);
    return pid.isValid() ? qint64(pid.value()) : -1;
}

// ---- clients -------------------------------------------------------------------------

QDBusMessage callOf(const QString &path, const QString &interface, const QString &member, const QVariantList &arguments)
{
    QDBusMessage message = QDBusMessage::createMethodCall(kService, path, interface, member);
    message.setArguments(arguments);
    return message;
}

QVariant asValue(const QVariant &value)
{
    return QVariant::fromValue(QDBusVariant(value));
}

// One of the calls of the mix; i picks which. A connector made is handed to made(), one
// to let go of is taken from release() (empty when there is none).
QDBusMessage mixedCall(quint64 i, const QString &object, const std::function<QString()> &release)
{
    static const QString longs[] = {QStringLiteral("Band"), QStringLiteral("Mode"), QStringLiteral("NewStep"),
                                    QStringLiteral("lData1")};
    static const QString doubles[] = {QStringLiteral("Freq"), QStringLiteral("NewTXFreq"), QStringLiteral("dData")};
    static const QString strings[] = {QStringLiteral("sData"), QStringLiteral("CallSign"), QStringLiteral("NewComment"),
                                      QStringLiteral("Transceiver")};
    const int n = int(i % 100);
    const QString text = QStringLiteral(u"\uFEFFDX%1 \u00e9\U0001F4FB").arg(i % 1000);
    if (n < 40) {
        const QString &field = n % 3 == 0 ? longs[i % 4] : n % 3 == 1 ? doubles[i % 3] : strings[i % 4];
        return callOf(object, kProperties, QStringLiteral("Get"), {kVarnex, field});
    }
    if (n < 65) {
        if (n % 3 == 0)
            return callOf(object, kProperties, QStringLiteral("Set"),
                          {kVarnex, longs[i % 4], asValue(int(i % 100000))});
        if (n % 3 == 1)
            return callOf(object, kProperties, QStringLiteral("Set"),
                          {kVarnex, doubles[i % 3], asValue(double(i) / 7.0)});
        return callOf(object, kProperties, QStringLiteral("Set"), {kVarnex, strings[i % 4], asValue(text)});
    }
    if (n < 85) {
        switch (n % 4) {
        case 0: return callOf(object, kVarnex, QStringLiteral("SetFreq"), {double(i % 30000) / 1000.0});
        case 1: return callOf(object, kVarnex, QStringLiteral("SetData"), {int(i), int(i >> 8), 0.5, text});
        case 2: return callOf(object, kVarnex, QStringLiteral("SetSpot"), {14.074, QStringLiteral("PA3ABC"), text});
        default: return callOf(object, kVarnex, QStringLiteral("Refresh"), {});
        }
    }
    if (n < 90)
        return callOf(object, kProperties, QStringLiteral("GetAll"), {kVarnex});
    if (n < 95)
        return callOf(object, QStringLiteral("org.freedesktop.DBus.Introspectable"), QStringLiteral("Introspect"), {});
    if (n < 97)
        return callOf(QStringLiteral("/org/tethra/Tethra"), QStringLiteral("org.tethra.Tethra.ClassFactory"),
                      QStringLiteral("CreateObject"), {kClsid});
    const QString connector = release();
    if (connector.isEmpty())
        return callOf(object, kProperties, QStringLiteral("Get"), {kVarnex, QStringLiteral("Freq")});
    return callOf(connector, kConnector, QStringLiteral("Release"), {});
}

// A client that keeps calls in flight, each next one sent when one comes back (after pauseMs).
class Client : public QObject {
public:
    Client(QDBusConnection bus, int inFlight, int pauseMs, quint64 seed)
        : m_bus(std::move(bus))
        , m_inFlight(inFlight)
        , m_pauseMs(pauseMs)
        , m_next(seed)
    {}

    bool attach()
    {
        const QDBusMessage made =
            m_bus.call(callOf(QStringLiteral("/org/tethra/Tethra"), QStringLiteral("org.tethra.Tethra.ClassFactory"),
                              QStringLiteral("CreateObject"), {kClsid}),
                       QDBus::Block, 30000);
        m_connector = made.arguments().value(0).value<QDBusObjectPath>().path();
        const QDBusMessage read =
            m_bus.call(callOf(m_connector, kProperties, QStringLiteral("Get"), {kConnector, QStringLiteral("Varnex")}),
                       QDBus::Block, 30000);
        m_object = read.arguments().value(0).value<QDBusVariant>().variant().value<QDBusObjectPath>().path();
        return !m_object.isEmpty();
    }

    // Lets go of the connector and the object and takes new ones.
    bool renew()
    {
        m_bus.call(callOf(m_object, kVarnex, QStringLiteral("Release"), {}), QDBus::Block, 30000);
        m_bus.call(callOf(m_connector, kConnector, QStringLiteral("Release"), {}), QDBus::Block, 30000);
        return attach();
    }

    void start(quint64 *budget)
    {
        m_budget = budget;
        for (int k = 0; k < m_inFlight; ++k)
            sendNext();
    }

    void setBand(int band)
    {
        watch(m_bus.asyncCall(callOf(m_object, kProperties, QStringLiteral("Set"),
                                     {kVarnex, QStringLiteral("Band"), asValue(band)})),
              false);
    }

    QDBusConnection bus() const { return m_bus; }
    QString object() const { return m_object; }
    quint64 calls = 0;
    quint64 errors = 0;
    QString lastError;

private:
    void sendNext()
    {
        if (m_budget) {
            if (*m_budget == 0)
                return;
            --*m_budget;
        }
        const quint64 i = m_next++ * 7919; // spreads the mix over every client
        watch(m_bus.asyncCall(
                  mixedCall(i, m_object, [this] { return m_made.isEmpty() ? QString() : m_made.takeLast(); })),
              true);
    }

    void watch(const QDBusPendingCall &pending, bool continues)
    {
        auto *watcher = new QDBusPendingCallWatcher(pending, this);
        connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, continues](QDBusPendingCallWatcher *w) {
            w->deleteLater();
            ++calls;
            const QDBusMessage reply = w->reply();
            if (reply.type() != QDBusMessage::ReplyMessage) {
                ++errors;
                lastError = reply.errorName() + QLatin1Char(' ') + reply.errorMessage();
            } else if (const QString made = reply.arguments().value(0).value<QDBusObjectPath>().path();
                       made.contains(QLatin1String("VarnexConnector"))) {
                m_made << made;
            }
            if (!continues)
                return;
            if (m_pauseMs > 0)
                QTimer::singleShot(m_pauseMs, this, [this] { sendNext(); });
            else
                sendNext();
        });
    }

    QDBusConnection m_bus;
    int m_inFlight;
    int m_pauseMs;
    quint64 m_next;
    quint64 *m_budget = nullptr;
    QString m_connector;
    QString m_object;
    QStringList m_made;
};

std::vector<std::unique_ptr<Client>> makeClients(const std::function<QDBusConnection(int)> &connect, int count,
                                                 int inFlight, int pauseMs)
{
    std::vector<std::unique_ptr<Client>> clients;
    for (int k = 0; k < count; ++k) {
        clients.push_back(std::make_unique<Client>(connect(k), inFlight, pauseMs, quint64(k) * 1000003));
        if (!clients.back()->attach())
            return {};
    }
    return clients;
}

// ---- the clients' process of the soak --------------------------------------------------

class ChangeCounter : public QObject {
    Q_OBJECT
public:
    quint64 count = 0;
public slots:
    void changed(const QDBusMessage &) { ++count; }
};

int clientLoad(const QString &address, int count)
{
    std::vector<std::unique_ptr<Client>> clients =
        makeClients([&](int k) { return QDBusConnection::connectToBus(address, QStringLiteral("client%1").arg(k)); },
                    count, 1, 100);
    if (clients.empty()) {
        std::fprintf(stderr, "bench_soak: the clients could not attach\n");
        return 1;
    }
    // A few watch every change, as a logging program would.
    ChangeCounter changes;
    for (int k = 1; k < std::min(count, 5); ++k)
        clients[std::size_t(k)]->bus().connect(kService, clients[std::size_t(k)]->object(), kProperties,
                                               QStringLiteral("PropertiesChanged"), &changes,
                                               SLOT(changed(QDBusMessage)));
    Client &radio = *clients.front();
    for (std::size_t k = 1; k < clients.size(); ++k)
        clients[k]->start(nullptr);
    int band = 0;
    QTimer bandTimer;
    QObject::connect(&bandTimer, &QTimer::timeout, [&] { radio.setBand(band++ % 9 + 1); });
    bandTimer.start(1000);
    int minute = 0;
    QTimer report;
    QObject::connect(&report, &QTimer::timeout, [&] {
        quint64 calls = 0, errors = 0;
        QString last;
        for (const auto &client : clients) {
            calls += client->calls;
            errors += client->errors;
            if (!client->lastError.isEmpty())
                last = client->lastError;
        }
        std::printf("calls %llu errors %llu changes-seen %llu %s\n", static_cast<unsigned long long>(calls),
                    static_cast<unsigned long long>(errors), static_cast<unsigned long long>(changes.count),
                    qUtf8Printable(last));
        std::fflush(stdout);
        // One client lets go of everything it holds and takes new objects.
        clients[std::size_t(1 + minute++ % (count - 1))]->renew();
    });
    report.start(60000);
    return QCoreApplication::exec();
}

// ---- the monitor soak ------------------------------------------------------------------

int fail(const char *what)
{
    std::fprintf(stderr, "bench_soak: %s\n", what);
    return 1;
}

int monitorSoak(int minutes, int clientCount)
{
    TempConfigHome home;
    home.writeStore("[StartUp]\nMeter%20Response=\"0\"\n");
    PrivateBus bus;
    if (!bus.isRunning())
        return fail("no private bus");

    QProcess board;
    board.setProcessChannelMode(QProcess::SeparateChannels);
    board.start(QStringLiteral(TOVANA_BOARDSIM_PROGRAM),
                {QStringLiteral("--port"), QStringLiteral("1"), QStringLiteral("--baud"), QStringLiteral("19200")});
    if (!QTest::qWaitFor([&] { return board.canReadLine() || board.state() == QProcess::NotRunning; }, 10000) ||
        !board.readLine().startsWith("ready "))
        return fail("tovana-boardsim did not start");
    qint64 boardLines = 0; // relay and band switches the board reports
    QObject::connect(&board, &QProcess::readyReadStandardOutput, [&] {
        while (board.canReadLine()) {
            board.readLine();
            ++boardLines;
        }
    });

    tovana::frmMonitor window(bus.address());
    window.show();
    if (!QTest::qWaitFor([&] { return window.link()->client()->isConnected(); }, 10000))
        return fail("the window did not link to the server");
    window.findChild<QPushButton *>(QStringLiteral("Command32"))->click(); // band following on

    QProcess clients;
    clients.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    clients.start(QCoreApplication::applicationFilePath(),
                  {QStringLiteral("--client-load"), bus.address(), QString::number(clientCount)});
    QString clientReport = QStringLiteral("calls 0 errors 0");
    quint64 clientErrors = 0;
    QObject::connect(&clients, &QProcess::readyReadStandardOutput, [&] {
        while (clients.canReadLine()) {
            clientReport = QString::fromUtf8(clients.readLine()).trimmed();
            clientErrors = clientReport.section(QLatin1Char(' '), 3, 3).toULongLong();
        }
    });

    int relay = 0;
    int messageBoxes = 0;
    QTimer clicks;
    QObject::connect(&clicks, &QTimer::timeout, [&] {
        window.relayButton(relay++ % 12 + 1)->click();
        // Any message box is a failure the user would have seen.
        for (QWidget *widget : QApplication::topLevelWidgets())
            if (widget != &window && widget->isVisible() && widget->inherits("QMessageBox")) {
                ++messageBoxes;
                std::fprintf(stderr, "bench_soak: a message box: %s\n",
                             qUtf8Printable(widget->property("text").toString()));
                widget->close();
            }
    });
    clicks.start(1000);

    const qint64 server = serverPid(bus.connect(QStringLiteral("observer")));
    struct Watched {
        const char *name;
        qint64 pid;
        Usage first{}, last{}, atMinuteOne{};
    };
    std::vector<Watched> watched{{"monitor", QCoreApplication::applicationPid()},
                                 {"tethra", server},
                                 {"tovana-boardsim", board.processId()},
                                 {"clients", clients.processId()}};
    for (Watched &w : watched)
        w.first = w.last = usageOf(w.pid);
    auto rchar = [&] {
        QFile io(QStringLiteral("/proc/%1/io").arg(board.processId()));
        io.open(QIODevice::ReadOnly);
        for (const QByteArray &line : io.readAll().split('\n'))
            if (line.startsWith("rchar:"))
                return line.mid(6).trimmed().toLongLong();
        return 0LL;
    };
    qint64 readBefore = rchar();
    std::printf("minute  %-26s %-26s %-26s %-26s  cycles/s  board switches  %s\n", "monitor RSS MiB / CPU %", "tethra",
                "tovana-boardsim", "clients", "clients' calls");
    for (int minute = 1; minute <= minutes; ++minute) {
        runUntil([] { return false; }, 60000);
        std::printf("%6d ", minute);
        for (Watched &w : watched) {
            const Usage now = usageOf(w.pid);
            std::printf(" %9.2f / %6.2f %%         ", now.rssMiB, (now.cpuSeconds - w.last.cpuSeconds) / 60.0 * 100.0);
            w.last = now;
            if (minute == 1)
                w.atMinuteOne = now;
        }
        const qint64 readNow = rchar();
        std::printf(" %8.1f  %14lld  %s\n", double(readNow - readBefore) / 8.0 / 60.0,
                    static_cast<long long>(boardLines), qUtf8Printable(clientReport));
        std::fflush(stdout);
        readBefore = readNow;
    }
    std::printf("RSS growth after the first minute, over %d minutes:\n", minutes - 1);
    for (const Watched &w : watched)
        std::printf("  %-16s %+8.3f MiB (%.2f -> %.2f)\n", w.name, w.last.rssMiB - w.atMinuteOne.rssMiB,
                    w.atMinuteOne.rssMiB, w.last.rssMiB);
    std::printf("errors: %llu in the clients' calls, %d message boxes, server %s, board %s\n",
                static_cast<unsigned long long>(clientErrors), messageBoxes,
                serverPid(bus.connect(QStringLiteral("observer2"))) == server ? "the same process" : "GONE",
                board.state() == QProcess::Running ? "running" : "GONE");
    clients.kill();
    clients.waitForFinished();
    board.terminate();
    board.waitForFinished();
    const bool ok = clientErrors == 0 && messageBoxes == 0 && clientReport.startsWith(QLatin1String("calls"));
    return ok ? 0 : 1;
}

// ---- the link server alone -------------------------------------------------------------

int serverCalls(quint64 total, int clientCount)
{
    PrivateBus bus;
    if (!bus.isRunning())
        return fail("no private bus");
    std::vector<std::unique_ptr<Client>> clients =
        makeClients([&](int k) { return bus.connect(QStringLiteral("load%1").arg(k)); }, clientCount, 8, 0);
    if (clients.empty())
        return fail("the clients could not attach");
    const qint64 server = serverPid(bus.connect(QStringLiteral("observer")));
    const Usage start = usageOf(server);
    double peak = start.rssMiB;
    quint64 budget = total;
    QElapsedTimer clock;
    clock.start();
    for (auto &client : clients)
        client->start(&budget);
    const auto done = [&] {
        quint64 calls = 0;
        for (const auto &client : clients)
            calls += client->calls;
        return calls;
    };
    std::printf("calls      tethra RSS MiB   calls/s\n");
    quint64 reported = 0;
    qint64 lastAt = 0;
    while (done() < total) {
        if (!runUntil([&] { return done() >= std::min(total, reported + total / 10); }, 120000))
            return fail("calls stopped coming back");
        const Usage now = usageOf(server);
        peak = std::max(peak, now.rssMiB);
        const quint64 calls = done();
        const qint64 at = clock.nsecsElapsed();
        std::printf("%-10llu %14.2f %9.0f\n", static_cast<unsigned long long>(calls), now.rssMiB,
                    double(calls - reported) / (double(at - lastAt) / 1e9));
        std::fflush(stdout);
        reported = calls;
        lastAt = at;
    }
    const Usage end = usageOf(server);
    quint64 errors = 0;
    QString last;
    for (const auto &client : clients) {
        errors += client->errors;
        if (!client->lastError.isEmpty())
            last = client->lastError;
    }
    std::printf("%llu mixed calls from %d clients in %.1f s (%.0f /s); tethra RSS %.2f MiB at start, %.2f MiB peak, "
                "%.2f MiB at the end; "
                "tethra CPU %.1f s; errors %llu %s\n",
                static_cast<unsigned long long>(total), clientCount, double(clock.nsecsElapsed()) / 1e9,
                double(total) / (double(clock.nsecsElapsed()) / 1e9), start.rssMiB, peak, end.rssMiB,
                end.cpuSeconds - start.cpuSeconds, static_cast<unsigned long long>(errors), qUtf8Printable(last));
    return errors == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    const auto option = [&](const char *name, int fallback) {
        const qsizetype at = args.indexOf(QLatin1String(name));
        return at >= 0 ? args.value(at + 1).toLongLong() : qint64(fallback);
    };
    if (args.value(1) == QLatin1String("--client-load"))
        return clientLoad(args.value(2), args.value(3).toInt());
    if (args.contains(QLatin1String("--server-calls")))
        return serverCalls(quint64(option("--server-calls", 1000000)), int(option("--clients", 16)));
    return monitorSoak(int(option("--minutes", 30)), int(option("--clients", 32)));
}

#include "bench_soak.moc"
