// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The bridge end to end: a dummy radio behind rigctld, the real link server on a private
// bus, tethra-rigctl between them, and the test as another client on either side.
#include "BandTable.h"
#include "BridgeFixture.h"
#include "Eventually.h"

#include <QDBusConnectionInterface>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>
#include <csignal>
#include <sys/types.h>

namespace {

constexpr int kTimeout = 10000;

// The radio's frequency as the dummy radio itself reports it, in Hz.
qint64 radioHz(const RigctldProcess &rig)
{
    return rig.get(QStringLiteral("f")).toLongLong();
}

QString radioMode(const RigctldProcess &rig)
{
    return rig.get(QStringLiteral("m"), 2).section(QLatin1Char('\n'), 0, 0);
}

} // namespace

using RigBridgeEndToEnd = BridgeFixture;

TEST_F(RigBridgeEndToEnd, AFrequencySetOnTheRadioShowsAsFreqAndBand)
{
    ASSERT_EVENTUALLY_EQ(field(QStringLiteral("CAT")).toInt(), 1, kTimeout);
    EXPECT_EQ(field(QStringLiteral("Transceiver")).toString(), QStringLiteral("Hamlib Dummy"));

    ASSERT_TRUE(rigctld.set(QStringLiteral("F 14074000")));
    ASSERT_EVENTUALLY_EQ(field(QStringLiteral("Band")).toInt(), 5, kTimeout);
    EXPECT_DOUBLE_EQ(field(QStringLiteral("Freq")).toDouble(), 14.074);

    ASSERT_TRUE(rigctld.set(QStringLiteral("F 3573000")));
    ASSERT_EVENTUALLY_EQ(field(QStringLiteral("Band")).toInt(), 2, kTimeout);
    EXPECT_DOUBLE_EQ(field(QStringLiteral("Freq")).toDouble(), 3.573);

    // Outside the amateur bands the band is 0, not the last band seen.
    ASSERT_TRUE(rigctld.set(QStringLiteral("F 145500000")));
    ASSERT_EVENTUALLY_EQ(field(QStringLiteral("Band")).toInt(), 0, kTimeout);
    EXPECT_DOUBLE_EQ(field(QStringLiteral("Freq")).toDouble(), 145.5);
}

TEST_F(RigBridgeEndToEnd, SetFreqFromAnotherClientTunesTheRadio)
{
    ASSERT_EVENTUALLY_EQ(field(QStringLiteral("CAT")).toInt(), 1, kTimeout);
    ASSERT_TRUE(callCommand(QStringLiteral("SetFreq"), {7.074}));
    ASSERT_EVENTUALLY_EQ(radioHz(rigctld), qint64(7'074'000), kTimeout);
    ASSERT_EVENTUALLY_EQ(field(QStringLiteral("Band")).toInt(), 3, kTimeout);
}

TEST_F(RigBridgeEndToEnd, SetBandTunesIntoThatBand)
{
    ASSERT_EVENTUALLY_EQ(field(QStringLiteral("CAT")).toInt(), 1, kTimeout);
    ASSERT_TRUE(callCommand(QStringLiteral("SetBand"), {5}));
    ASSERT_EVENTUALLY_EQ(BandTable::bandOf(radioHz(rigctld)), 5, kTimeout);
    ASSERT_EVENTUALLY_EQ(field(QStringLiteral("Band")).toInt(), 5, kTimeout);

    ASSERT_TRUE(callCommand(QStringLiteral("SetBand"), {10}));
    ASSERT_EVENTUALLY_EQ(BandTable::bandOf(radioHz(rigctld)), 10, kTimeout);
}

TEST_F(RigBridgeEndToEnd, ModesTravelBothWays)
{
    ASSERT_TRUE(rigctld.set(QStringLiteral("M CWR 0")));
    ASSERT_EVENTUALLY_EQ(field(QStringLiteral("Mode")).toInt(), 3, kTimeout);

    ASSERT_TRUE(callCommand(QStringLiteral("SetMode"), {8}));
    ASSERT_EVENTUALLY_EQ(radioMode(rigctld), QStringLiteral("RTTY"), kTimeout);
    ASSERT_EVENTUALLY_EQ(field(QStringLiteral("Mode")).toInt(), 8, kTimeout);

    // Code 10 covers both packet sidebands: asking for it keeps PKTUSB as it is.
    ASSERT_TRUE(rigctld.set(QStringLiteral("M PKTUSB 0")));
    ASSERT_EVENTUALLY_EQ(field(QStringLiteral("Mode")).toInt(), 10, kTimeout);
    ASSERT_TRUE(callCommand(QStringLiteral("SetMode"), {10}));
    ASSERT_TRUE(callCommand(QStringLiteral("SetMode"), {1}));
    ASSERT_EVENTUALLY_EQ(radioMode(rigctld), QStringLiteral("USB"), kTimeout);
    EXPECT_FALSE(bridgeErrors().contains(QStringLiteral("set mode")));
}

TEST_F(RigBridgeEndToEnd, PttVfoSplitAndTxFrequencyFollowRequests)
{
    ASSERT_EVENTUALLY_EQ(field(QStringLiteral("CAT")).toInt(), 1, kTimeout);
    ASSERT_TRUE(callCommand(QStringLiteral("SetPTT"), {1}));
    ASSERT_EVENTUALLY_EQ(rigctld.get(QStringLiteral("t")), QStringLiteral("1"), kTimeout);
    ASSERT_EVENTUALLY_EQ(field(QStringLiteral("PTT")).toInt(), 1, kTimeout);
    ASSERT_TRUE(callCommand(QStringLiteral("SetPTT"), {0}));
    ASSERT_EVENTUALLY_EQ(field(QStringLiteral("PTT")).toInt(), 0, kTimeout);

    ASSERT_TRUE(callCommand(QStringLiteral("SetFreq"), {14.074}));
    ASSERT_EVENTUALLY_EQ(field(QStringLiteral("TXFreq")).toDouble(), 14.074, kTimeout);
    ASSERT_TRUE(callCommand(QStringLiteral("SetSplit"), {1}));
    ASSERT_EVENTUALLY_EQ(field(QStringLiteral("Split")).toInt(), 1, kTimeout);
    EXPECT_EQ(rigctld.get(QStringLiteral("s"), 2), QStringLiteral("1\nVFOB"));
    ASSERT_TRUE(callCommand(QStringLiteral("SetTXFreq"), {14.080}));
    ASSERT_EVENTUALLY_EQ(rigctld.get(QStringLiteral("i")).toLongLong(), qint64(14'080'000), kTimeout);
    ASSERT_EVENTUALLY_EQ(field(QStringLiteral("TXFreq")).toDouble(), 14.080, kTimeout);

    ASSERT_TRUE(callCommand(QStringLiteral("SetVFO"), {1}));
    ASSERT_EVENTUALLY_EQ(field(QStringLiteral("VFO")).toInt(), 1, kTimeout);
}

TEST_F(RigBridgeEndToEnd, UpDownStepsInQuickSuccessionAddUp)
{
    ASSERT_TRUE(rigctld.set(QStringLiteral("F 14074000")));
    ASSERT_EVENTUALLY_EQ(field(QStringLiteral("Freq")).toDouble(), 14.074, kTimeout);
    // All three steps land before the bridge next polls the radio; each must still count.
    // (The step is the same each time: NewStep is one field, read when the event arrives.)
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(callCommand(QStringLiteral("UpDown"), {-2}));
    ASSERT_EVENTUALLY_EQ(radioHz(rigctld), qint64(14'068'000), kTimeout);
    ASSERT_EVENTUALLY_EQ(field(QStringLiteral("Freq")).toDouble(), 14.068, kTimeout);
}

TEST_F(RigBridgeEndToEnd, RequestsTheRadioCannotFollowAreReportedAndChangeNothing)
{
    ASSERT_TRUE(rigctld.set(QStringLiteral("F 7074000")));
    ASSERT_EVENTUALLY_EQ(field(QStringLiteral("Band")).toInt(), 3, kTimeout);

    ASSERT_TRUE(callCommand(QStringLiteral("SetBand"), {42}));
    ASSERT_EVENTUALLY(bridgeErrors().contains(QStringLiteral("cannot select band 42: no such band")), kTimeout);
    ASSERT_TRUE(callCommand(QStringLiteral("SetMode"), {5}));
    ASSERT_EVENTUALLY(bridgeErrors().contains(QStringLiteral("cannot set mode 5")), kTimeout);
    ASSERT_TRUE(callCommand(QStringLiteral("SetFreq"), {-3.5}));
    ASSERT_EVENTUALLY(bridgeErrors().contains(QStringLiteral("cannot tune to -3.5 MHz")), kTimeout);
    ASSERT_TRUE(callCommand(QStringLiteral("SetVFO"), {7}));
    ASSERT_EVENTUALLY(bridgeErrors().contains(QStringLiteral("cannot select VFO 7")), kTimeout);

    EXPECT_EQ(radioHz(rigctld), qint64(7'074'000));
    EXPECT_EQ(field(QStringLiteral("Band")).toInt(), 3);
    EXPECT_EQ(bridge.state(), QProcess::Running);
}

TEST_F(RigBridgeEndToEnd, RefreshRewritesEveryFieldAndAnswersOK)
{
    ASSERT_TRUE(rigctld.set(QStringLiteral("F 21074000")));
    ASSERT_EVENTUALLY_EQ(field(QStringLiteral("Band")).toInt(), 7, kTimeout);

    // Another client scribbles over the current values; only a refresh puts them back,
    // since the radio itself did not change.
    ASSERT_TRUE(setField(QStringLiteral("Freq"), 0.0));
    ASSERT_TRUE(setField(QStringLiteral("Band"), 0));
    ASSERT_TRUE(setField(QStringLiteral("Transceiver"), QStringLiteral("")));
    ASSERT_TRUE(callCommand(QStringLiteral("Refresh")));
    ASSERT_EVENTUALLY(events.received.contains(QStringLiteral("OK")), kTimeout);
    EXPECT_DOUBLE_EQ(field(QStringLiteral("Freq")).toDouble(), 21.074);
    EXPECT_EQ(field(QStringLiteral("Band")).toInt(), 7);
    EXPECT_EQ(field(QStringLiteral("Transceiver")).toString(), QStringLiteral("Hamlib Dummy"));
}

TEST_F(RigBridgeEndToEnd, RestartedRigctldIsFoundAgainAndCatFollows)
{
    ASSERT_EVENTUALLY_EQ(field(QStringLiteral("CAT")).toInt(), 1, kTimeout);
    rigctld.stop();
    ASSERT_EVENTUALLY_EQ(field(QStringLiteral("CAT")).toInt(), 0, kTimeout);
    // Several retries fail while rigctld is away; the user hears about it once.
    QTest::qWait(3000);
    EXPECT_EQ(bridgeErrors().count(QStringLiteral("cannot reach rigctld")), 1) << bridgeErrors().toStdString();

    ASSERT_TRUE(rigctld.start());
    ASSERT_EVENTUALLY_EQ(field(QStringLiteral("CAT")).toInt(), 1, 15000);
    EXPECT_TRUE(bridgeErrors().contains(QStringLiteral("connected to rigctld")));
    // The restarted dummy radio is at its power-on frequency again, and the bridge sees it.
    ASSERT_TRUE(rigctld.set(QStringLiteral("F 28074000")));
    ASSERT_EVENTUALLY_EQ(field(QStringLiteral("Band")).toInt(), 9, kTimeout);
}

TEST_F(RigBridgeEndToEnd, ALinkServerThatDiesIsReplacedAndGetsEveryValueAgain)
{
    ASSERT_TRUE(rigctld.set(QStringLiteral("F 18100000")));
    ASSERT_EVENTUALLY_EQ(field(QStringLiteral("Band")).toInt(), 6, kTimeout);

    const uint pid = link.interface()->servicePid(QStringLiteral("org.tethra.Tethra")).value();
    ASSERT_GT(pid, 0u);
    ASSERT_EQ(::kill(pid_t(pid), SIGKILL), 0);
    ASSERT_EVENTUALLY(!link.interface()->isServiceRegistered(QStringLiteral("org.tethra.Tethra")).value(), kTimeout);

    // A new server starts from its defaults; the bridge must fill it in again.
    ASSERT_EVENTUALLY(link.interface()->isServiceRegistered(QStringLiteral("org.tethra.Tethra")).value(), 15000);
    ASSERT_TRUE(attachLink());
    ASSERT_EVENTUALLY_EQ(field(QStringLiteral("Band")).toInt(), 6, 15000);
    EXPECT_DOUBLE_EQ(field(QStringLiteral("Freq")).toDouble(), 18.1);
    EXPECT_EQ(field(QStringLiteral("CAT")).toInt(), 1);
    EXPECT_EQ(field(QStringLiteral("Transceiver")).toString(), QStringLiteral("Hamlib Dummy"));
}

TEST_F(RigBridgeEndToEnd, AJsonWatchShowsTheRadiosFrequencyChangesAsTheyHappen)
{
    QProcess watch;
    watch.setProcessEnvironment(bus.environment());
    watch.start(QStringLiteral(TETHRA_CLI), {QStringLiteral("--json"), QStringLiteral("watch")});
    ASSERT_EVENTUALLY(watch.canReadLine(), kTimeout);
    watch.readLine(); // the state at the start

    QList<QJsonObject> changes;
    // A change of Freq to mhz, and of Band to band with it or after it.
    const auto seen = [&](double mhz, int band) {
        while (watch.canReadLine()) {
            const QJsonObject line = QJsonDocument::fromJson(watch.readLine()).object();
            if (line[QLatin1String("type")].toString() == QLatin1String("change"))
                changes << line[QLatin1String("values")].toObject();
        }
        const auto freq = std::find_if(changes.cbegin(), changes.cend(), [mhz](const QJsonObject &c) {
            return c[QLatin1String("Freq")].toDouble() == mhz;
        });
        return std::any_of(freq, changes.cend(),
                           [band](const QJsonObject &c) { return c[QLatin1String("Band")].toInt() == band; });
    };
    ASSERT_TRUE(rigctld.set(QStringLiteral("F 14074000")));
    ASSERT_EVENTUALLY(seen(14.074, 5), kTimeout);
    ASSERT_TRUE(rigctld.set(QStringLiteral("F 7074000")));
    ASSERT_EVENTUALLY(seen(7.074, 3), kTimeout);
    watch.kill();
    watch.waitForFinished(5000);
}
