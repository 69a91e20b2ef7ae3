// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// bench_network: the station on a real Mosquitto broker (logins and access list as in
// docs/mqtt), its board a pseudo-terminal that answers every query, the link server on a
// private bus. In this process, the station's host and its network face as the headless
// program runs them, and two clients of the broker (a viewer and an operator, on the
// project's own MQTT connection): from a new reading on the line to the viewer, 200 times;
// from the operator's relay `set` to the relay byte on the line, 200 times; messages per
// second at full acquisition, with a reading that jitters by one count and one that is pure
// noise, the deadband on and off. Then `tovana --headless` and the windowed `tovana`
// (offscreen) as programs of their own, 20 s each: CPU and RSS. Prints figures only.
#include "MosquittoBroker.h"
#include "MqttConnection.h"
#include "PrivateBus.h"
#include "PtyBoard.h"
#include "Station.h"
#include "StationHost.h"
#include "StationPublisher.h"
#include "StationTopics.h"
#include "TempConfigHome.h"
#include "WireFormat.h"
#include "Figures.h"
#include "ProcessUse.h"
#include "WaitUntil.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>

#include <atomic>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

namespace network = tovana::network;
namespace topics = tovana::network::topics;

namespace {

const QString kPrefix = QStringLiteral("tovana/bench");
const QList<MosquittoBroker::User> kUsers = {{QStringLiteral("tovana"), QStringLiteral("station secret")},
                                             {QStringLiteral("operator"), QStringLiteral("operator secret")},
                                             {QStringLiteral("viewer"), QStringLiteral("viewer secret")}};
constexpr int kSamples = 200;

void printLatencies(const char *what, const std::vector<double> &micros)
{
    if (micros.empty()) {
        std::printf("%s: no sample\n", what);
        return;
    }
    const bench::Spread s = bench::spread(micros);
    std::printf("%s: n=%zu median %.2f ms, p99 %.2f ms, max %.2f ms\n", what, micros.size(), s.median / 1000,
                s.p99 / 1000, s.max / 1000);
}

QString passwordFile(const TempConfigHome &home, const QString &user, const QString &password)
{
    const QString path = home.path() + QStringLiteral("/%1-password").arg(user);
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(password.toUtf8() + '\n');
    file.close();
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    return path;
}

network::NetworkSettings settingsFor(const MosquittoBroker &broker, const TempConfigHome &home, const QString &user,
                                     const QString &password, const QString &prefix)
{
    network::NetworkSettings settings;
    settings.brokerHost = broker.host().toStdString();
    settings.brokerPort = broker.port();
    settings.user = user.toStdString();
    settings.passwordFile = passwordFile(home, user, password).toStdString();
    settings.topicPrefix = prefix.toStdString();
    return settings;
}

struct ProcessUse {
    double cpuPercent = 0;
    double rssMiB = 0;
    double peakRssMiB = 0;
};

// The program with these arguments, for `seconds` after its first `settle` seconds.
ProcessUse measureProgram(const QStringList &arguments, const QProcessEnvironment &environment, int settle, int seconds)
{
    QProcess program;
    program.setProcessEnvironment(environment);
    program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    program.start(QStringLiteral(TOVANA_PROGRAM), arguments);
    program.waitForStarted();
    bench::pause(settle * 1000);
    const qint64 pid = program.processId();
    const double before = bench::cpuSeconds(pid);
    QElapsedTimer wall;
    wall.start();
    bench::pause(seconds * 1000);
    ProcessUse use;
    use.cpuPercent = 100 * (bench::cpuSeconds(pid) - before) / (wall.nsecsElapsed() / 1e9);
    use.rssMiB = bench::statusKiB(pid, "VmRSS") / 1024.0;
    use.peakRssMiB = bench::statusKiB(pid, "VmHWM") / 1024.0;
    program.terminate();
    if (!program.waitForFinished(10000))
        program.kill();
    return use;
}

class CycleWatch : public tovana::station::StationObserver {
public:
    CycleWatch(tovana::station::Station &station, std::function<void()> newReading)
        : m_station(station)
        , m_newReading(std::move(newReading))
    {
        m_station.addObserver(this);
    }
    ~CycleWatch() override { m_station.removeObserver(this); }
    void stationChanged(tovana::station::StationChange change, int) override
    {
        if (change != tovana::station::StationChange::Readings || m_station.reading(0) == m_last)
            return;
        m_last = m_station.reading(0);
        m_newReading();
    }

private:
    tovana::station::Station &m_station;
    std::function<void()> m_newReading;
    double m_last = -1;
};

} // namespace

int main(int argc, char **argv)
{
    // Where the broker's access list and the link server's activation file are found.
    if (qEnvironmentVariableIsEmpty("TOVANA_BUILD_DIR"))
        qputenv("TOVANA_BUILD_DIR", TOVANA_BUILD_DIR_PATH);
    if (qEnvironmentVariableIsEmpty("TOVANA_SOURCE_DIR"))
        qputenv("TOVANA_SOURCE_DIR", TOVANA_SOURCE_DIR_PATH);
    std::setvbuf(stdout, nullptr, _IOLBF, 0); // figures show as they come, also into a file
    QCoreApplication app(argc, argv);
    TempConfigHome home;
    MosquittoBroker broker(kUsers);
    PrivateBus bus;
    PtyBoard board;
    if (!broker.isRunning() || !bus.isRunning() || !board.linkAs(1)) {
        std::fprintf(stderr, "bench_network: no broker, bus or board\n%s\n", qPrintable(broker.log()));
        return 1;
    }
    qputenv("DBUS_SESSION_BUS_ADDRESS", bus.address().toUtf8());

    // The board: channel 1 reads `level`, the others a steady 16 * channel, unless noisy.
    std::atomic<int> level{50};
    bool noisy = false;
    bool jitter = false;
    QElapsedTimer clock;
    clock.start();
    qint64 levelSentNs = 0;
    int levelSent = -1;
    board.setAnswer([&](char byte) -> QByteArray {
        if (byte < 0 || byte >= tovana::station::kChannelCount)
            return {};
        const int channel = byte == 0 ? 8 : byte;
        int value = 16 * channel;
        if (noisy)
            value = QRandomGenerator::global()->bounded(256);
        else if (jitter)
            value += QRandomGenerator::global()->bounded(3) - 1;
        else if (channel == 1) {
            value = level;
            if (value != levelSent) {
                levelSent = value;
                levelSentNs = clock.nsecsElapsed();
            }
        }
        return QByteArray(1, char(value));
    });

    // The station as the headless program runs it; a watcher notes when a cycle ends with
    // channel 1's new reading.
    auto host = std::make_unique<tovana::StationHost>();
    qint64 cycleDoneNs = 0;
    CycleWatch cycleWatch(host->station(), [&] { cycleDoneNs = clock.nsecsElapsed(); });
    network::StationPublisher publisher(*host, settingsFor(broker, home, "tovana", "station secret", kPrefix),
                                        QStringLiteral("bench"), QString());
    host->activate();
    publisher.start();

    network::MqttConnection viewer(settingsFor(broker, home, "viewer", "viewer secret", "bench/viewer"),
                                   QStringLiteral("bench-viewer"));
    network::MqttConnection operatorClient(settingsFor(broker, home, "operator", "operator secret", "bench/operator"),
                                           QStringLiteral("bench-operator"));
    viewer.subscribe(kPrefix + QStringLiteral("/meter/+"));
    viewer.subscribe(kPrefix + QStringLiteral("/relay/+/set"));
    qint64 viewerSetNs = 0;
    qint64 meterMessages = 0;
    QByteArray meter0;
    qint64 meter0Ns = 0;
    QObject::connect(&viewer, &network::MqttConnection::messageReceived,
                     [&](const QString &topic, const QByteArray &payload) {
                         if (topic.endsWith(QLatin1String("/set"))) {
                             viewerSetNs = clock.nsecsElapsed();
                             return;
                         }
                         ++meterMessages;
                         if (topic == topics::meter(kPrefix, 0)) {
                             meter0 = payload;
                             meter0Ns = clock.nsecsElapsed();
                         }
                     });
    viewer.start();
    operatorClient.start();
    if (!bench::waitUntil([&] {
            return viewer.state() == network::MqttConnection::State::Connected &&
                   operatorClient.state() == network::MqttConnection::State::Connected &&
                   publisher.connection().state() == network::MqttConnection::State::Connected;
        })) {
        std::fprintf(stderr, "bench_network: not all on the broker\n%s\n", qPrintable(broker.log()));
        return 1;
    }
    bench::pause(1000);

    // A new reading: the board's first reply with it to the viewer's message. The readings
    // step by 100 counts (2 V of the 5 V scale), well beyond the deadband, and come 150 to
    // 250 ms apart, beyond the ten a second the station allows.
    std::vector<double> readingMicros;
    std::vector<double> publishedMicros;
    for (int i = 0; i < kSamples; ++i) {
        const int next = level == 50 ? 150 : 50;
        const QByteArray previous = meter0;
        level = next;
        if (bench::waitUntil([&] { return levelSent == next && meter0 != previous; }, 5000) && meter0Ns > levelSentNs) {
            readingMicros.push_back((meter0Ns - levelSentNs) / 1000.0);
            publishedMicros.push_back((meter0Ns - cycleDoneNs) / 1000.0);
        }
        bench::pause(150 + QRandomGenerator::global()->bounded(100));
    }
    printLatencies("reading on the line -> MQTT viewer", readingMicros);
    printLatencies("  of which the station's cycle ended -> MQTT viewer", publishedMicros);

    // The operator's relay set to the relay byte on the line.
    std::vector<double> relayMicros;
    std::vector<double> commandMicros;
    std::vector<double> viewerMicros;
    qint64 commandNs = 0;
    QObject::connect(&publisher.connection(), &network::MqttConnection::messageReceived,
                     [&] { commandNs = clock.nsecsElapsed(); });
    for (int i = 0; i < kSamples; ++i) {
        const bool on = i % 2 == 0;
        const char byte = tovana::station::relayByte(1, on);
        const qsizetype before = board.received().count(byte);
        const qint64 sentNs = clock.nsecsElapsed();
        operatorClient.publish(topics::relaySet(kPrefix, 1), on ? "ON" : "OFF", network::MqttConnection::Retain::No);
        if (bench::waitUntil([&] { return board.received().count(byte) > before; }, 5000)) {
            relayMicros.push_back((clock.nsecsElapsed() - sentNs) / 1000.0);
            commandMicros.push_back((commandNs - sentNs) / 1000.0);
            viewerMicros.push_back((viewerSetNs - sentNs) / 1000.0);
        }
        board.dropReceived(board.received().size());
        bench::pause(20 + QRandomGenerator::global()->bounded(30));
    }
    printLatencies("MQTT relay set -> relay byte on the line", relayMicros);
    printLatencies("  of which the set published -> the station has it", commandMicros);
    printLatencies("  the same set published -> the viewer has it", viewerMicros);

    // Messages per second on P/meter/+ at full acquisition.
    const auto rate = [&](bool deadband, bool noise, bool oneCount) {
        publisher.setDeadband(deadband);
        noisy = noise;
        jitter = oneCount;
        bench::pause(1000);
        const qint64 before = meterMessages;
        QElapsedTimer wall;
        wall.start();
        bench::pause(10000);
        return (meterMessages - before) / (wall.nsecsElapsed() / 1e9);
    };
    std::printf("meter messages/s, readings jittering by one count: deadband on %.1f, off %.1f\n",
                rate(true, false, true), rate(false, false, true));
    std::printf("meter messages/s, readings pure noise: deadband on %.1f, off %.1f\n", rate(true, true, false),
                rate(false, true, false));
    noisy = false;
    jitter = true;

    // The programs, each alone with the board (the in-process station let go of the port).
    publisher.stop();
    bench::waitUntil([&] { return publisher.connection().state() == network::MqttConnection::State::Idle; });
    host.reset();
    home.writeStore("[Network]\nBrokerHost=" + broker.host().toUtf8() +
                    "\nBrokerPort=" + QByteArray::number(broker.port()) +
                    "\nUser=tovana\nPasswordFile=" + passwordFile(home, "tovana", "station secret").toUtf8() +
                    "\nTopicPrefix=" + kPrefix.toUtf8() + "\n");
    QProcessEnvironment environment = bus.environment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path());
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    const ProcessUse headless = measureProgram({QStringLiteral("--headless")}, environment, 3, 20);
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    const ProcessUse windowed = measureProgram({}, environment, 3, 20);
    std::printf("tovana --headless: CPU %.2f %% of a core, RSS %.1f MiB (peak %.1f)\n", headless.cpuPercent,
                headless.rssMiB, headless.peakRssMiB);
    std::printf("tovana windowed (offscreen), on the broker too: CPU %.2f %% of a core, RSS %.1f MiB (peak %.1f)\n",
                windowed.cpuPercent, windowed.rssMiB, windowed.peakRssMiB);
    return 0;
}
