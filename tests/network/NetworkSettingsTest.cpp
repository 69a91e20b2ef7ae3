// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The network settings in the store's section of their own, and as command-line options.
#include "NetworkOptions.h"
#include "NetworkSettings.h"
#include "Store.h"

#include <QCommandLineParser>
#include <gtest/gtest.h>

#include <map>

using namespace tovana::network;

namespace {

// The store as a map in memory: section and key to text.
class MemoryStore : public tovana::station::Store {
public:
    std::optional<std::string> get(const std::string &section, const std::string &key) const override
    {
        const auto found = texts.find({section, key});
        return found == texts.end() ? std::nullopt : std::optional(found->second);
    }
    bool save(const std::string &section, const std::string &key, const std::string &value) override
    {
        texts[{section, key}] = value;
        return true;
    }
    std::string error() const override { return {}; }

    std::map<std::pair<std::string, std::string>, std::string> texts;
};

TEST(NetworkSettingsTest, LiveInTheNetworkSectionAndComeBackAsSaved)
{
    MemoryStore store;
    const LoadedNetworkSettings fresh = loadNetworkSettings(store, "shack");
    EXPECT_TRUE(fresh.problems.empty());
    EXPECT_EQ(fresh.settings.topicPrefix, "tovana/shack");
    EXPECT_EQ(fresh.settings.brokerHost, ""); // off the network until a broker is named
    EXPECT_EQ(fresh.settings.brokerPort, 1883);
    EXPECT_FALSE(fresh.settings.tls);

    NetworkSettings settings{"broker.example.org",      18883,      true,
                             "/etc/ssl/station-ca.pem", "operator", "/home/op/.config/Tovana2/mqtt-password",
                             "tovana/remote site"};
    ASSERT_TRUE(saveNetworkSettings(store, settings));
    for (const auto &[where, text] : store.texts)
        EXPECT_EQ(where.first, "Network") << where.second;
    EXPECT_EQ(store.texts.size(), std::size(kNetworkKeys));
    EXPECT_EQ(store.texts.at({"Network", "TLS"}), "True");
    EXPECT_EQ(store.texts.at({"Network", "BrokerPort"}), "18883");
    const LoadedNetworkSettings loaded = loadNetworkSettings(store, "another-host");
    EXPECT_TRUE(loaded.problems.empty());
    EXPECT_EQ(loaded.settings, settings);
}

TEST(NetworkSettingsTest, AStoredTextThatDoesNotParseIsReportedAndItsDefaultUsed)
{
    MemoryStore store;
    store.save("Network", "TLS", "on"); // the command line's word is taken here too
    store.save("Network", "BrokerPort", "88 83");
    const LoadedNetworkSettings loaded = loadNetworkSettings(store, "shack");
    EXPECT_TRUE(loaded.settings.tls);
    EXPECT_EQ(loaded.settings.brokerPort, 8883); // the usual port of MQTT over TLS
    ASSERT_EQ(loaded.problems.size(), 1u);
    EXPECT_EQ(loaded.problems.front(),
              "[Network] BrokerPort = \"88 83\" is not a port number (1 to 65535); the default is used");
    EXPECT_EQ(store.texts.at({"Network", "BrokerPort"}), "88 83"); // nothing written back
}

TEST(NetworkSettingsTest, CommandLineOptionsOfTheSameNamesOverrideForThisRun)
{
    QCommandLineParser parser;
    addNetworkOptions(parser);
    ASSERT_TRUE(parser.parse({"tovana", "--broker-host", "pi.local", "--tls", "on", "--user", "op", "--password-file",
                              "/run/user/1000/mqtt", "--topic-prefix", "tovana/field-day", "--ca-file", "ca.crt"}))
        << qPrintable(parser.errorText());
    NetworkSettings settings;
    settings.topicPrefix = "tovana/shack";
    EXPECT_TRUE(applyNetworkOptions(parser, settings).isEmpty());
    EXPECT_EQ(settings,
              (NetworkSettings{"pi.local", 8883, true, "ca.crt", "op", "/run/user/1000/mqtt", "tovana/field-day"}));
    EXPECT_TRUE(checkNetworkSettings(settings).empty());

    QCommandLineParser bad;
    addNetworkOptions(bad);
    ASSERT_TRUE(bad.parse({"tovana", "--broker-port", "65536", "--tls", "maybe", "--topic-prefix", "tovana/#"}));
    const NetworkSettings before = settings;
    const QStringList problems = applyNetworkOptions(bad, settings);
    EXPECT_EQ(problems,
              (QStringList{"--tls maybe: not on or off", "--broker-port 65536: not a port number (1 to 65535)"}));
    EXPECT_EQ(settings.brokerPort, before.brokerPort);
    EXPECT_EQ(checkNetworkSettings(settings),
              std::vector<std::string>{"The topic prefix \"tovana/#\" holds a wildcard (+ or #)"});
}

} // namespace
