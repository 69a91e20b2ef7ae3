// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// What a message on one of the station's command topics asks for (StationTopics.h): relay n
// on or off, a band, band following on or off, a meter's latched trip acknowledged. Pure: no I/O and no state, so
// whoever applies the command (through the station's own rules, as a click) decides what it changes. A topic outside
// the prefix, or one that is not a command, is no command; a payload that does not parse gives a one-line reason for
// the log.
#pragma once

#include <QByteArray>
#include <QString>

#include <variant>

namespace tovana::network {

struct RelayCommand {
    int relay = 0; // 1 to 12
    bool on = false;
    bool operator==(const RelayCommand &) const = default;
};
struct BandCommand {
    int position = 0; // 1 ("160") to 9 ("10")
    bool operator==(const BandCommand &) const = default;
};
struct FollowingCommand {
    bool on = false;
    bool operator==(const FollowingCommand &) const = default;
};
// "OFF" on a meter's trip: the operator acknowledges it (the station may refuse).
struct AcknowledgeCommand {
    int meter = 0; // 0 to 7
    bool operator==(const AcknowledgeCommand &) const = default;
};
// Not a command topic of this station.
struct NotACommand {
    bool operator==(const NotACommand &) const = default;
};
// A command topic with a payload that does not parse.
struct BadCommand {
    QString reason;
    bool operator==(const BadCommand &) const = default;
};

using StationCommand =
    std::variant<NotACommand, BadCommand, RelayCommand, BandCommand, FollowingCommand, AcknowledgeCommand>;

StationCommand parseCommand(const QString &prefix, const QString &topic, const QByteArray &payload);

} // namespace tovana::network
