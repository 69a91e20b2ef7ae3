// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "NetworkSettings.h"

#include "Store.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace tovana::network {

namespace {

std::string lowered(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::string quoted(const std::string &text)
{
    return '"' + text + '"';
}

} // namespace

std::string defaultTopicPrefix(const std::string &hostName)
{
    return "tovana/" + hostName;
}

std::string tlsText(bool tls)
{
    return tls ? "True" : "False";
}

bool parseTls(const std::string &text, bool &tls)
{
    const std::string word = lowered(text);
    if (word == "true" || word == "on") {
        tls = true;
        return true;
    }
    if (word == "false" || word == "off") {
        tls = false;
        return true;
    }
    return false;
}

bool parsePort(const std::string &text, int &port)
{
    int value = 0;
    const char *end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || stop != end || value < 1 || value > 65535)
        return false;
    port = value;
    return true;
}

LoadedNetworkSettings loadNetworkSettings(const station::Store &store, const std::string &hostName)
{
    LoadedNetworkSettings loaded;
    NetworkSettings &s = loaded.settings;
    const auto text = [&](const NetworkKey &key) { return store.get(kNetworkSection, key.key); };
    const auto unusable = [&](const NetworkKey &key, const std::string &value, const char *expected) {
        loaded.problems.push_back(std::string("[") + kNetworkSection + "] " + key.key + " = " + quoted(value) +
                                  " is not " + expected + "; the default is used");
    };

    s.brokerHost = text(kBrokerHostKey).value_or("");
    if (const auto tls = text(kTlsKey); tls && !parseTls(*tls, s.tls))
        unusable(kTlsKey, *tls, "\"True\" or \"False\"");
    s.brokerPort = s.tls ? kMqttTlsPort : kMqttPort;
    if (const auto port = text(kBrokerPortKey); port && !parsePort(*port, s.brokerPort))
        unusable(kBrokerPortKey, *port, "a port number (1 to 65535)");
    s.caFile = text(kCaFileKey).value_or("");
    s.user = text(kUserKey).value_or("");
    s.passwordFile = text(kPasswordFileKey).value_or("");
    s.topicPrefix = text(kTopicPrefixKey).value_or("");
    if (s.topicPrefix.empty())
        s.topicPrefix = defaultTopicPrefix(hostName);
    return loaded;
}

bool saveNetworkSettings(station::Store &store, const NetworkSettings &settings)
{
    const std::pair<const NetworkKey &, std::string> values[] = {
        {kBrokerHostKey, settings.brokerHost},
        {kBrokerPortKey, std::to_string(settings.brokerPort)},
        {kTlsKey, tlsText(settings.tls)},
        {kCaFileKey, settings.caFile},
        {kUserKey, settings.user},
        {kPasswordFileKey, settings.passwordFile},
        {kTopicPrefixKey, settings.topicPrefix},
    };
    for (const auto &[key, value] : values) {
        if (!store.save(kNetworkSection, key.key, value))
            return false;
    }
    return true;
}

std::vector<std::string> checkNetworkSettings(const NetworkSettings &settings)
{
    std::vector<std::string> problems;
    if (settings.brokerHost.empty())
        problems.push_back("No broker host is set");
    if (settings.brokerPort < 1 || settings.brokerPort > 65535)
        problems.push_back("The broker port " + std::to_string(settings.brokerPort) +
                           " is not a port number (1 to 65535)");
    if (!settings.passwordFile.empty() && settings.user.empty())
        problems.push_back(
            "A password file is set but no user name: the broker takes a password only with a user name");
    const std::string &prefix = settings.topicPrefix;
    if (prefix.empty())
        problems.push_back("The topic prefix is empty");
    else if (prefix.find_first_of("+#") != std::string::npos)
        problems.push_back("The topic prefix " + quoted(prefix) + " holds a wildcard (+ or #)");
    else if (prefix.front() == '/' || prefix.back() == '/')
        problems.push_back("The topic prefix " + quoted(prefix) + " starts or ends with '/'");
    return problems;
}

} // namespace tovana::network
