// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// tovana-boardsim seen from the monitor's side of the line: a raw slave descriptor that
// sends query and relay bytes and reads what the simulated board answers.
#include "BoardSimProcess.h"
#include "Eventually.h"
#include "TempConfigHome.h"
#include "WithoutFileOverride.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

namespace {

constexpr int kTimeoutMs = 10000;

// The monitor's end of the line, opened raw like a serial port.
class Line {
public:
    explicit Line(const QString &path)
    {
        m_fd = ::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
        if (m_fd >= 0) {
            termios raw{};
            ::tcgetattr(m_fd, &raw);
            ::cfmakeraw(&raw);
            ::tcsetattr(m_fd, TCSANOW, &raw);
        }
    }
    ~Line()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    bool isOpen() const { return m_fd >= 0; }
    void send(const QByteArray &bytes)
    {
        ASSERT_EQ(::write(m_fd, bytes.constData(), static_cast<size_t>(bytes.size())), bytes.size());
    }
    // Reads until `count` bytes have come or the timeout ran out.
    QByteArray read(int count, int timeoutMs = kTimeoutMs)
    {
        QByteArray bytes;
        pollfd fd{m_fd, POLLIN, 0};
        while (bytes.size() < count && ::poll(&fd, 1, timeoutMs) > 0) {
            char buffer[64];
            const ssize_t got = ::read(m_fd, buffer, sizeof buffer);
            if (got <= 0)
                break;
            bytes.append(buffer, got);
        }
        return bytes;
    }

private:
    int m_fd = -1;
};

// A process that opens the port as the monitor's serial port does (exclusive use) and
// keeps it until it is killed. Only async-signal-safe calls after fork().
pid_t holdInExclusiveUse(const QString &path)
{
    const QByteArray name = path.toLocal8Bit();
    int ready[2];
    if (::pipe(ready) != 0)
        return -1;
    const pid_t child = ::fork();
    if (child == 0) {
        const int fd = ::open(name.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        const char held = fd >= 0 && ::ioctl(fd, TIOCEXCL) == 0 ? 1 : 0;
        [[maybe_unused]] const auto written = ::write(ready[1], &held, 1);
        for (;;)
            ::pause();
    }
    ::close(ready[1]);
    char held = 0;
    pollfd fd{ready[0], POLLIN, 0};
    const bool holding = ::poll(&fd, 1, kTimeoutMs) == 1 && ::read(ready[0], &held, 1) == 1 && held == 1;
    ::close(ready[0]);
    if (child > 0 && !holding) {
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        return -1;
    }
    return child;
}

class BoardSimTest : public ::testing::Test {
protected:
    TempConfigHome home;
    QString link(int port) const { return home.path() + QStringLiteral("/Tovana2/ports/COM%1").arg(port); }
};

TEST_F(BoardSimTest, AnswersEachChannelQueryWithThatChannelsReading)
{
    BoardSimProcess sim({"--port", "4", "--channel", "2=const:0", "--channel", "8=const:255"});
    ASSERT_TRUE(sim.waitUntilReady());
    EXPECT_EQ(QFileInfo(link(4)).canonicalFilePath(), sim.slavePath());

    Line line(link(4));
    ASSERT_TRUE(line.isOpen());
    // Query 0 reads channel 8; untouched channels read 16 times their number.
    line.send(QByteArray("\x01\x02\x03\x00", 4));
    EXPECT_EQ(line.read(4), QByteArray("\x10\x00\x30\xFF", 4));
}

TEST_F(BoardSimTest, PrintsRelayChangesAndTheBandCode)
{
    BoardSimProcess sim({"--port", "1"});
    ASSERT_TRUE(sim.waitUntilReady());
    Line line(link(1));
    ASSERT_TRUE(line.isOpen());

    line.send("!"); // relay 1 on
    EXPECT_TRUE(sim.waitForLine("relay 1 on"));
    line.send("!"); // no change, no line
    line.send(" ");
    EXPECT_TRUE(sim.waitForLine("relay 1 off"));
    EXPECT_EQ(sim.lines().count("relay 1 on"), 1);

    line.send("9:=>"); // the code of the 20 m band
    EXPECT_TRUE(sim.waitForLine("band code 1010 (20 m)"));
    EXPECT_TRUE(sim.lines().contains("relay 13 on"));
    EXPECT_TRUE(sim.lines().contains("relay 15 on"));
    EXPECT_FALSE(sim.lines().contains("relay 14 off")); // it was off already

    line.send("9:<?"); // 12 m
    EXPECT_TRUE(sim.waitForLine("band code 1001 (10 m)") || sim.lines().contains("band code 1001 (10 m)"));
    EXPECT_TRUE(sim.lines().contains("relay 16 on"));
    EXPECT_TRUE(sim.lines().contains("relay 15 off"));
}

TEST_F(BoardSimTest, SilentBoardSwitchesRelaysButNeverAnswers)
{
    BoardSimProcess sim({"--silent"});
    ASSERT_TRUE(sim.waitUntilReady());
    Line line(link(1));
    line.send(QByteArray("\x01", 1));
    line.send("#"); // relay 2 on, read after the query
    ASSERT_TRUE(sim.waitForLine("relay 2 on"));
    // The board has handled the query before the relay byte; a reply would be here now.
    EXPECT_EQ(line.read(1, 200), QByteArray());
}

TEST_F(BoardSimTest, DoubledReplyArrivesTwiceUntilTheBoardHeals)
{
    BoardSimProcess sim({"--double", "1", "--heal-after", "3", "--channel", "5=const:77"});
    ASSERT_TRUE(sim.waitUntilReady());
    Line line(link(1));
    line.send(QByteArray("\x05", 1));
    EXPECT_EQ(line.read(2), QByteArray("\x4D\x4D", 2));

    // Once healed, a query gets its one reply and nothing after it.
    QByteArray replies;
    for (int attempt = 0; attempt < 40 && replies.size() != 1; ++attempt) {
        ::usleep(250000);
        line.send(QByteArray("\x05", 1));
        replies = line.read(2, 250);
    }
    EXPECT_EQ(replies, QByteArray("\x4D", 1));
}

TEST_F(BoardSimTest, LateReplyComesAfterCommandsSentLater)
{
    BoardSimProcess sim({"--late", "1500", "--channel", "1=const:9"});
    ASSERT_TRUE(sim.waitUntilReady());
    Line line(link(1));
    line.send(QByteArray("\x01", 1));
    line.send("%"); // relay 3 on
    ASSERT_TRUE(sim.waitForLine("relay 3 on"));
    EXPECT_EQ(line.read(1, 0), QByteArray()) << "the reply should still be held back";
    EXPECT_EQ(line.read(1), QByteArray("\x09", 1));
}

TEST_F(BoardSimTest, PacedLineStillAnswersEveryQueryInOrder)
{
    BoardSimProcess sim({"--baud", "1200", "--channel", "1=ramp:2s", "--channel", "2=sine:1s", "--channel", "3=noise"});
    ASSERT_TRUE(sim.waitUntilReady());
    Line line(link(1));
    const QByteArray queries("\x01\x02\x03\x04\x05\x06\x07\x00", 8);
    line.send(queries);
    const QByteArray replies = line.read(8);
    ASSERT_EQ(replies.size(), 8);
    EXPECT_EQ(replies.mid(3), QByteArray("\x40\x50\x60\x70\x80", 5));
}

TEST_F(BoardSimTest, SigtermOrHangupRemovesTheLinkAndExitsCleanly)
{
    BoardSimProcess sim({"--port", "7"});
    ASSERT_TRUE(sim.waitUntilReady());
    ASSERT_TRUE(QFileInfo(link(7)).isSymLink());
    EXPECT_EQ(sim.terminate(), 0);
    EXPECT_FALSE(QFileInfo(link(7)).isSymLink());
    EXPECT_FALSE(QFileInfo::exists(link(7)));

    BoardSimProcess hungUp({"--port", "7"});
    ASSERT_TRUE(hungUp.waitUntilReady());
    ::kill(static_cast<pid_t>(hungUp.process().processId()), SIGHUP);
    ASSERT_TRUE(hungUp.process().waitForFinished(kTimeoutMs));
    EXPECT_EQ(hungUp.process().exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(hungUp.process().exitCode(), 0);
    EXPECT_FALSE(QFileInfo(link(7)).isSymLink());
}

TEST_F(BoardSimTest, KilledUserLeavesThePortFreeForTheNext)
{
    BoardSimProcess sim({"--port", "2", "--channel", "4=const:99"});
    ASSERT_TRUE(sim.waitUntilReady());
    // Root could open it regardless; the test opens it as the operator would.
    WithoutFileOverride asAUser;
    ASSERT_TRUE(asAUser.holds());
    const pid_t monitor = holdInExclusiveUse(link(2));
    ASSERT_GT(monitor, 0);
    EXPECT_FALSE(Line(link(2)).isOpen()) << "held in exclusive use, the port is busy";
    ::kill(monitor, SIGKILL);
    ::waitpid(monitor, nullptr, 0);

    ASSERT_EVENTUALLY(Line(link(2)).isOpen(), kTimeoutMs);
    Line line(link(2));
    line.send(QByteArray("\x04", 1));
    EXPECT_EQ(line.read(1), QByteArray("\x63", 1));
}

TEST_F(BoardSimTest, RefusesAPortLinkItDidNotMakeAndLeavesItAlone)
{
    const QString adapter = link(1);
    ASSERT_TRUE(QDir().mkpath(QFileInfo(adapter).path()));
    ASSERT_TRUE(QFile::link("/dev/ttyUSB0", adapter));

    BoardSimProcess sim({"--port", "1"});
    ASSERT_TRUE(sim.process().waitForFinished(kTimeoutMs));
    EXPECT_EQ(sim.process().exitCode(), 1);
    const QString message = QString::fromLocal8Bit(sim.process().readAllStandardError());
    EXPECT_TRUE(message.contains(adapter) && message.contains("/dev/ttyUSB0") && message.contains("--port"))
        << message.toStdString();
    EXPECT_EQ(QFileInfo(adapter).symLinkTarget(), "/dev/ttyUSB0");
}

TEST_F(BoardSimTest, NoLinkOptionOnlyPrintsTheSlave)
{
    BoardSimProcess sim({"--no-link", "--port", "2"});
    ASSERT_TRUE(sim.waitUntilReady());
    EXPECT_FALSE(QFileInfo(link(2)).isSymLink());
    Line line(sim.slavePath());
    line.send(QByteArray("\x02", 1));
    EXPECT_EQ(line.read(1), QByteArray("\x20", 1));
}

TEST_F(BoardSimTest, BadOptionsAreRefusedWithAMessage)
{
    for (const QStringList &arguments :
         {QStringList{"--channel", "9=const:1"}, QStringList{"--channel", "1=const:300"}, QStringList{"--baud", "300"},
          QStringList{"--drop", "2"}, QStringList{"--frobnicate"}}) {
        BoardSimProcess sim(arguments);
        ASSERT_TRUE(sim.process().waitForFinished(kTimeoutMs));
        EXPECT_EQ(sim.process().exitCode(), 2) << arguments.join(' ').toStdString();
        EXPECT_TRUE(sim.process().readAllStandardError().contains("tovana-boardsim:"));
        EXPECT_FALSE(QFileInfo::exists(link(1)));
    }
}

} // namespace
