// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The acquisition cycle on a real serial line (a pseudo-terminal) whose board answers
// anything: no reply, one, several, stray bytes, while the cycle is restarted (as a relay
// click does) and its settle delay changes. Whatever comes in, the cycle sends only channel
// queries, in order, never one without a reply taken up; shows only bytes the board sent;
// and goes on as long as the line works.
// Input: a script of steps, each a byte choosing what the board or the user does next and
// the bytes that step needs.
#include "AcquisitionCycle.h"
#include "CommPort.h"
#include "WireFormat.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <bitset>
#include <cstdio>
#include <cstdlib>

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

using namespace tovana;

namespace {

struct Line {
    int master = -1;
    int slave = -1;  // held open so the master never reads a hang-up
};

QCoreApplication *g_app = nullptr;
QTemporaryDir *g_home = nullptr;
Line g_line;
CommPort *g_port = nullptr;
AcquisitionCycle *g_cycle = nullptr;

std::bitset<256> g_sent;     // bytes the board has sent since the start
int g_lastChannel = 0;       // channel of the last query seen, 0 before any
long g_queries = 0;          // queries seen in this input
long g_allowance = 0;        // replies sent plus cycle starts in this input

void fail(const char *what, int detail = 0)
{
    std::fprintf(stderr, "fuzz_acquisition: %s (%d)\n", what, detail);
    std::abort();
}

int channelOf(unsigned char query)
{
    return query == 0 ? kChannelCount : int(query);
}

// Reads what the cycle sent to the board and checks it; true when anything came.
bool takeQueries()
{
    unsigned char buffer[256];
    bool any = false;
    for (;;) {
        const ssize_t n = ::read(g_line.master, buffer, sizeof buffer);
        if (n <= 0)
            return any;
        any = true;
        for (ssize_t i = 0; i < n; ++i) {
            if (buffer[i] >= kChannelCount)
                fail("the cycle sent a byte that is no channel query", buffer[i]);
            const int channel = channelOf(buffer[i]);
            if (channel != 1 && channel != g_lastChannel + 1)
                fail("a query out of order, for channel", channel);
            g_lastChannel = channel;
            if (++g_queries > g_allowance)
                fail("a query went out without a reply taken up", int(g_queries));
        }
    }
}

// Lets the cycle run until the line has been quiet for a few rounds.
void pump(int waitMs = 0)
{
    int quiet = 0;
    for (int round = 0; round < 200 && quiet < 3; ++round) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        pollfd readable{g_line.master, POLLIN, 0};
        ::poll(&readable, 1, waitMs);
        quiet = takeQueries() ? 0 : quiet + 1;
    }
}

void boardSends(const QByteArray &bytes)
{
    for (const char c : bytes)
        g_sent.set(static_cast<unsigned char>(c));
    if (::write(g_line.master, bytes.constData(), size_t(bytes.size())) != bytes.size())
        fail("the board could not write");
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    g_app = new QCoreApplication(*argc, *argv);
    g_home = new QTemporaryDir;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(g_home->path()));

    g_line.master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (g_line.master < 0 || ::grantpt(g_line.master) != 0 || ::unlockpt(g_line.master) != 0)
        fail("no pseudo-terminal");
    const QString slave = QString::fromLocal8Bit(::ptsname(g_line.master));
    g_line.slave = ::open(::ptsname(g_line.master), O_RDWR | O_NOCTTY);
    termios raw{};
    ::tcgetattr(g_line.slave, &raw);
    ::cfmakeraw(&raw);
    ::tcsetattr(g_line.slave, TCSANOW, &raw);
    ::fcntl(g_line.master, F_SETFL, ::fcntl(g_line.master, F_GETFL) | O_NONBLOCK);
    const QString ports = g_home->path() + QStringLiteral("/Tovana2/ports");
    QDir().mkpath(ports);
    QFile::link(slave, ports + QStringLiteral("/COM1"));

    g_port = new CommPort;
    g_port->setPortNumber(1);
    if (!g_port->open())
        fail("the port did not open");
    g_cycle = new AcquisitionCycle(g_port);
    QObject::connect(g_cycle, &AcquisitionCycle::displayPhase, [](const QList<int> &readings) {
        if (readings.size() != kChannelCount)
            fail("a display phase without eight readings", int(readings.size()));
        for (int reading : readings)
            if (reading < 0 || reading > 255 || (reading != 0 && !g_sent.test(std::size_t(reading))))
                fail("a reading the board never sent", reading);
    });
    QObject::connect(g_cycle, &AcquisitionCycle::ended, [](const QString &reason) {
        std::fprintf(stderr, "fuzz_acquisition: %s\n", qUtf8Printable(reason));
        fail("the cycle ended on a working line");
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static constexpr int kSettle[] = {0, 20, 150, 1500};
    // Whatever the last input left on its way is taken up before this one starts.
    g_cycle->setSettleDelay(0);
    pump();
    g_queries = 0;
    g_allowance = 1;
    g_cycle->PollMeters();
    pump();
    std::size_t i = 0;
    const auto next = [&]() -> std::uint8_t { return i < size ? data[i++] : 0; };
    for (int step = 0; i < size && step < 256; ++step) {
        switch (next() % 5) {
        case 0: {  // the board answers with 0 to 3 bytes
            const int count = next() % 4;
            QByteArray reply;
            for (int k = 0; k < count; ++k)
                reply += char(next());
            g_allowance += count;
            boardSends(reply);
            pump();
            break;
        }
        case 1:  // a relay click or a band change restarts the cycle
            ++g_allowance;
            g_cycle->PollMeters();
            pump();
            break;
        case 2:
            g_cycle->setSettleDelay(kSettle[next() % 4]);
            break;
        case 3: {  // stray bytes, a burst at once
            const int count = 4 + next() % 29;
            QByteArray burst;
            for (int k = 0; k < count; ++k)
                burst += char(next());
            g_allowance += count;
            boardSends(burst);
            pump();
            break;
        }
        case 4:  // time passes: settle timers run out
            pump(1);
            break;
        }
    }
    pump(1);
    return 0;
}
