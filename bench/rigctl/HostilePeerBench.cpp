// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// What a hostile rigctld costs tethra-rigctl in memory. A fake rigctld on loopback answers
// the bridge's first command with an endless stream for 10 s, then heals and answers every
// command with "RPRT 0"; two streams: short lines that never end the answer, and bytes with
// no newline at all. Prints the bridge's peak RSS during the stream and its RSS 17 s after
// healing. The stream stops early should the bridge pass 2 GiB.
#include "PrivateBus.h"
#include "ProcessUse.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <memory>

namespace {

constexpr int kStreamMs = 10000;
constexpr int kAfterHealingMs = 17000;
constexpr qint64 kStopAtKiB = 2 * 1024 * 1024;

// The fake rigctld: every connection gets the stream once it has sent a command, until
// heal(); after that, each command line is answered as rigctld's extended protocol does.
class FakeRigctld : public QObject {
public:
    explicit FakeRigctld(QByteArray chunk) : m_chunk(std::move(chunk))
    {
        m_server.listen(QHostAddress::LocalHost);
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = m_server.nextPendingConnection()) {
                ++connections;
                connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
                connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { onCommand(socket); });
                connect(socket, &QTcpSocket::bytesWritten, socket, [this, socket] { feed(socket); });
            }
        });
    }

    quint16 port() const { return m_server.serverPort(); }
    void heal() { m_healed = true; }
    int connections = 0;

private:
    void onCommand(QTcpSocket *socket)
    {
        if (!m_healed) {
            socket->readAll();
            feed(socket);
            return;
        }
        while (socket->canReadLine()) {
            const QByteArray command = socket->readLine().trimmed().mid(1);
            socket->write(command + ":\nRPRT 0\n");
        }
    }

    // Keeps a few chunks queued, so the stream runs as fast as the bridge reads.
    void feed(QTcpSocket *socket)
    {
        while (!m_healed && socket->state() == QAbstractSocket::ConnectedState &&
               socket->bytesToWrite() < 4 * m_chunk.size())
            socket->write(m_chunk);
    }

    QTcpServer m_server;
    QByteArray m_chunk;
    bool m_healed = false;
};

void measure(const char *label, const QByteArray &chunk, const PrivateBus &bus)
{
    FakeRigctld rigctld(chunk);
    QProcess bridge;
    bridge.setProcessEnvironment(bus.environment());
    bridge.setProcessChannelMode(QProcess::SeparateChannels);
    bridge.start(QStringLiteral(TETHRA_RIGCTL), {QStringLiteral("--host"), QStringLiteral("127.0.0.1"),
                                                 QStringLiteral("--port"), QString::number(rigctld.port())});
    if (!bridge.waitForStarted(10000)) {
        std::fprintf(stderr, "bench-rigctl-hostile: tethra-rigctl did not start\n");
        std::exit(1);
    }
    const qint64 pid = bridge.processId();

    qint64 peakKiB = 0;
    QElapsedTimer clock;
    clock.start();
    QEventLoop loop;
    QTimer sample;
    QObject::connect(&sample, &QTimer::timeout, &loop, [&] {
        peakKiB = std::max(peakKiB, bench::statusKiB(pid, "VmRSS"));
        if (clock.elapsed() >= kStreamMs || peakKiB >= kStopAtKiB)
            loop.quit();
    });
    sample.start(50);
    loop.exec();
    const double streamed = double(clock.elapsed()) / 1000;
    rigctld.heal();
    peakKiB = std::max(peakKiB, bench::statusKiB(pid, "VmHWM"));

    QTimer::singleShot(kAfterHealingMs, &loop, &QEventLoop::quit);
    loop.exec();
    const qint64 afterKiB = bench::statusKiB(pid, "VmRSS");
    const QList<QByteArray> lines = bridge.readAllStandardError().split('\n');
    const auto complaints =
        std::count_if(lines.begin(), lines.end(), [](const QByteArray &l) { return l.contains("rigctld"); });
    std::printf("%s for %.1f s: bridge peak RSS %.1f MiB%s; %.1f MiB %d s after healing; "
                "%d connections, %lld stderr lines about rigctld\n",
                label, streamed, double(peakKiB) / 1024, peakKiB >= kStopAtKiB ? " (stream stopped at 2 GiB)" : "",
                double(afterKiB) / 1024, kAfterHealingMs / 1000, rigctld.connections, qlonglong(complaints));
    for (qsizetype i = 0; i < std::min<qsizetype>(lines.size(), 4); ++i)
        std::printf("    %s\n", lines[i].constData());
    bridge.terminate();
    if (!bridge.waitForFinished(10000))
        bridge.kill();
    bridge.waitForFinished(10000);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    qputenv("TOVANA_BUILD_DIR", TOVANA_BUILD_DIR);
    PrivateBus bus;
    if (!bus.isRunning()) {
        std::fprintf(stderr, "bench-rigctl-hostile: dbus-daemon did not start\n");
        return 1;
    }
    QByteArray lines;
    for (int i = 0; i < 16384; ++i)
        lines += "Frequency: 1\n";
    measure("short lines without RPRT", lines, bus);
    measure("bytes without a newline", QByteArray(256 * 1024, 'x'), bus);
    return 0;
}
