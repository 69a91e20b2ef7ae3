// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// What a message on the station's topics asks for, and what is no command at all.
#include "StationCommand.h"
#include "StationTopics.h"

#include <gtest/gtest.h>

using namespace tovana::network;

namespace {

const QString kPrefix = QStringLiteral("tovana/shack");

TEST(StationCommandTest, CommandTopicsAskForWhatTheirPayloadsSay)
{
    EXPECT_EQ(parseCommand(kPrefix, "tovana/shack/relay/12/set", " on\n"), StationCommand(RelayCommand{12, true}));
    EXPECT_EQ(parseCommand(kPrefix, "tovana/shack/relay/1/set", "OFF"), StationCommand(RelayCommand{1, false}));
    EXPECT_EQ(parseCommand(kPrefix, "tovana/shack/band/set", "160"), StationCommand(BandCommand{1}));
    EXPECT_EQ(parseCommand(kPrefix, "tovana/shack/band/set", "10"), StationCommand(BandCommand{9}));
    EXPECT_EQ(parseCommand(kPrefix, "tovana/shack/following/set", "Off"), StationCommand(FollowingCommand{false}));
}

TEST(StationCommandTest, PayloadsThatDoNotParseSayWhyAndOtherTopicsAreNoCommands)
{
    const auto reason = [](const QString &topic, const QByteArray &payload) {
        const StationCommand command = parseCommand(kPrefix, topic, payload);
        return std::holds_alternative<BadCommand>(command) ? std::get<BadCommand>(command).reason
                                                           : QStringLiteral("(parsed)");
    };
    EXPECT_EQ(reason("tovana/shack/relay/3/set", "1"), "tovana/shack/relay/3/set: \"1\" is neither ON nor OFF");
    EXPECT_EQ(reason("tovana/shack/band/set", "11"),
              "tovana/shack/band/set: \"11\" is not a band (160 80 40 30 20 17 15 12 10)");
    EXPECT_EQ(reason("tovana/shack/band/set", QByteArray(100, 'x')),
              "tovana/shack/band/set: \"" + QString(40, 'x') + "…\" is not a band (160 80 40 30 20 17 15 12 10)");
    EXPECT_EQ(reason("tovana/shack/relay/13/set", "ON"),
              "tovana/shack/relay/13/set: there is no relay 13 (relays are 1 to 12)");
    EXPECT_EQ(reason("tovana/shack/following/set", ""), "tovana/shack/following/set: \"\" is neither ON nor OFF");

    for (const char *topic : {"tovana/other/relay/1/set", "tovana/shack/relay/1", "tovana/shack/band",
                              "tovana/shack/relay/set", "x/tovana/shack/band/set", "tovana/shack/band/set/more"})
        EXPECT_TRUE(std::holds_alternative<NotACommand>(parseCommand(kPrefix, topic, "ON"))) << topic;
}

} // namespace
