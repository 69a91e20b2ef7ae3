// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The whole chain on a Linux station: Hamlib's dummy radio (rigctld) published into the link
// server by tethra-rigctl, and the monitor's band following switching the band relays.
#include "BandFixture.h"
#include "Eventually.h"
#include "RigctldProcess.h"

#include <QProcess>

namespace {

class RadioThroughRigctld : public BandFixture {
protected:
    void SetUp() override
    {
        BandFixture::SetUp();
        ASSERT_TRUE(rigctld.start()) << "rigctld -m 1 must start";
        bridge.setProcessEnvironment(bus.environment());
        bridge.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        bridge.start(QStringLiteral(TETHRA_RIGCTL), {"--port", QString::number(rigctld.port())});
        ASSERT_TRUE(bridge.waitForStarted(5000));
    }

    void TearDown() override
    {
        BandFixture::TearDown();
        bridge.terminate();
        bridge.waitForFinished(5000);
    }

    RigctldProcess rigctld;
    QProcess bridge;
};

TEST_F(RadioThroughRigctld, TuningTheRadioTo15MetresSelectsThe15BandAndSendsItsCode)
{
    start();
    followingOn();
    ASSERT_TRUE(rigctld.set("F 21074000"));

    ASSERT_EVENTUALLY_EQ(bandBytes(), QByteArray("\x39\x3B\x3D\x3E"), kWaitMs);
    EXPECT_EQ(window->Label2()->text(), "1110");
    EXPECT_EQ(visibleIndicators(), QList<int>{7});

    // Moving to 40 m switches again, once.
    ASSERT_TRUE(rigctld.set("F 7074000"));
    ASSERT_EVENTUALLY_EQ(bandBytes(), QByteArray("\x39\x3B\x3D\x3E\x39\x3B\x3C\x3E"), kWaitMs);
    EXPECT_EQ(visibleIndicators(), QList<int>{3});
}

} // namespace
