// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The station's topics on the broker, all under its prefix P ("tovana/<host name>" unless
// set), in this one place. Meters are numbered 0 to 7 and relays 1 to 12, as in the settings
// store's keys. State topics are published retained, so a client that comes later sees the
// station at once; commands are the "set" topics, the only ones the station reads.
//
// | topic                 | payload                                       | retained | who writes |
// |-----------------------|-----------------------------------------------|----------|------------|
// | P/availability        | "online"; "offline" (also the broker's will)  | yes      | station    |
// | P/meter/<m>           | the scaled reading, decimal text with a point | yes      | station    |
// | P/meter/<m>/caption   | the meter's caption                           | yes      | station    |
// | P/meter/<m>/scale     | the gauge's face as JSON: {"min", "max",      | yes      | station    |
// |                       | "ticks", "bands": [[from, to, "#rrggbb"] x3]}  |          |            |
// | P/meter/<m>/trip      | a latched trip of the meter's limit: "ON"/"OFF"| yes      | station    |
// | P/meter/<m>/trip/set  | "OFF": acknowledge the trip                    | no       | operator   |
// | P/relay/<n>           | "ON" / "OFF"                                  | yes      | station    |
// | P/relay/<n>/label     | the relay's label                             | yes      | station    |
// | P/relay/<n>/set       | "ON" / "OFF"                                  | no       | operator   |
// | P/band                | "160" "80" "40" "30" "20" "17" "15" "12" "10";| yes      | station    |
// |                       | "None" while no band is selected              |          |            |
// | P/band/set            | a band as above                               | no       | operator   |
// | P/band/code           | the code last sent to the band relays, "1010";| yes      | station    |
// |                       | "None" before the first                       |          |            |
// | P/following           | band following: "ON" / "OFF"                  | yes      | station    |
// | P/following/set       | "ON" / "OFF"                                  | no       | operator   |
// | P/hold                | the transmit hold: "ON" / "OFF"               | yes      | station    |
// | P/tx                  | transmitting: "ON" / "OFF"                    | yes      | station    |
// | P/board               | "answering"; "silent" (port open, no reply);  | yes      | station    |
// |                       | "gone" (port closed or lost)                  |          |            |
// | P/refused             | why a command was refused, as the panel says  | no       | station    |
//
// Command payloads are read without regard to case or surrounding blanks. A retained
// message is never empty: an empty retained payload would erase the topic on the broker;
// "None" is what Home Assistant takes for a state not known.
#pragma once

#include <QString>
#include <QStringList>

namespace tovana::network::topics {

inline constexpr int kMeterCount = 8;  // meters 0 to 7
inline constexpr int kRelayCount = 12; // relays 1 to 12

inline const QString kOnline = QStringLiteral("online");
inline const QString kOffline = QStringLiteral("offline");
inline const QString kOn = QStringLiteral("ON");
inline const QString kOff = QStringLiteral("OFF");
inline const QString kNone = QStringLiteral("None");
inline const QString kBoardAnswering = QStringLiteral("answering");
inline const QString kBoardSilent = QStringLiteral("silent");
inline const QString kBoardGone = QStringLiteral("gone");
// The band captions, band position 1 first.
inline const QStringList kBands = {QStringLiteral("160"), QStringLiteral("80"), QStringLiteral("40"),
                                   QStringLiteral("30"),  QStringLiteral("20"), QStringLiteral("17"),
                                   QStringLiteral("15"),  QStringLiteral("12"), QStringLiteral("10")};

QString availability(const QString &prefix);
QString meter(const QString &prefix, int m);
QString meterCaption(const QString &prefix, int m);
QString meterScale(const QString &prefix, int m);
QString meterTrip(const QString &prefix, int m);
QString meterTripSet(const QString &prefix, int m);
QString relay(const QString &prefix, int n);
QString relayLabel(const QString &prefix, int n);
QString relaySet(const QString &prefix, int n);
QString band(const QString &prefix);
QString bandSet(const QString &prefix);
QString bandCode(const QString &prefix);
QString following(const QString &prefix);
QString followingSet(const QString &prefix);
QString hold(const QString &prefix);
QString tx(const QString &prefix);
QString board(const QString &prefix);
QString refused(const QString &prefix);

// The subscriptions that cover every command topic and nothing else.
QStringList commandFilters(const QString &prefix);

} // namespace tovana::network::topics
