// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The control IDs of Tovana.exe's main window, made from the design names, so that a test
// or an accessibility tool finds a control by the name the panel's design gives it:
// CommandN is 1000+N, LabelN 2000+N, the gauge AGauge1_i 3000+i, the relay lamp Picture1_k
// 4000+k, the activity lamps PictureN 5000+N, the frames FrameN 6000+N. Menu commands follow their item names.
// In the setup dialog (a window of its own) TextN is 7100+N, Option1_k 7200+k, HScrollN
// 7300+N; its buttons and labels are CommandN and LabelN as above.
#pragma once

namespace tovana::win32::app {

constexpr int commandId(int n)
{
    return 1000 + n;
}
constexpr int labelId(int n)
{
    return 2000 + n;
}
constexpr int gaugeId(int index)
{
    return 3000 + index;
}
constexpr int relayLampId(int k)
{
    return 4000 + k;
}
constexpr int pictureId(int n)
{
    return 5000 + n;
}

constexpr int frameId(int n)
{
    return 6000 + n;
}

constexpr int textId(int n)
{
    return 7100 + n;
}
constexpr int optionId(int k)
{
    return 7200 + k;
}
constexpr int hScrollId(int n)
{
    return 7300 + n;
}
constexpr int kCombo1 = 7401;
constexpr int kCheck1 = 7501;
constexpr int kSetupTabs = 7601; // SSTab1

// The setup dialog's "Limits" tab, and the trip line under the main window's panel.
constexpr int kLimitKind = 7701;
constexpr int kLimitValue = 7702;
constexpr int kLimitReadings = 7703;
constexpr int kLimitWhileTx = 7704;
constexpr int kLimitApply = 7705;
constexpr int limitRelayId(int relay)
{
    return 7710 + relay;
}
constexpr int kLimitTrip = 7801;
constexpr int kLimitAck = 7802;

// Relay n (1..12) is switched by Command(n+1); its lamp is Picture1_(15+n).
constexpr int relayButtonId(int relay)
{
    return commandId(relay + 1);
}
constexpr int relayLampIdOf(int relay)
{
    return relayLampId(15 + relay);
}

// Band position 1..9: its button and its indicator.
constexpr int kBandButtonCommands[] = {1, 22, 23, 24, 25, 26, 27, 28, 29};
constexpr int kBandIndicatorCommands[] = {14, 15, 16, 17, 18, 19, 20, 21, 30};

// Band following: the "Off" and "On" buttons and their indicators.
constexpr int kFollowOffButton = 31;
constexpr int kFollowOnButton = 32;
constexpr int kFollowOffIndicator = 33;
constexpr int kFollowOnIndicator = 34;
constexpr int kTxIndicator = 35;

enum MenuId : int {
    mnuExit = 100,
    mnuSetup,
    mnuHelpContents,
    mnuHelpAbout,
};

} // namespace tovana::win32::app
