// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// Where the station finds its MQTT broker and under which topics it lives: a plain record,
// loaded from and saved to the settings store's section "Network" (never "StartUp", whose
// keys are the panel's own). Plain C++, no Qt: the host name for the default topic prefix is
// passed in. A stored text that does not parse is reported and its default used; nothing is
// written back until the caller saves.
#pragma once

#include <string>
#include <vector>

namespace tovana::station {
class Store;
}

namespace tovana::network {

inline constexpr int kMqttPort = 1883;
inline constexpr int kMqttTlsPort = 8883;

// Every key of the section, and the command-line option of the same name:
//
// | key            | option          | text                                | when absent               |
// |----------------|-----------------|-------------------------------------|---------------------------|
// | "BrokerHost"   | --broker-host   | host name or address of the broker  | "": the station stays off |
// |                |                 |                                     | the network               |
// | "BrokerPort"   | --broker-port   | 1 to 65535                          | 8883 with TLS, else 1883  |
// | "TLS"          | --tls           | "True" or "False" (on/off too)      | "False"                   |
// | "CAFile"       | --ca-file       | PEM file of the CA that signed the  | "": the system's trusted  |
// |                |                 | broker's certificate                | CAs                       |
// | "User"         | --user          | the broker login's user name        | "": no login              |
// | "PasswordFile" | --password-file | file whose first line is the        | "": no password           |
// |                |                 | password, readable by its owner only|                           |
// | "TopicPrefix"  | --topic-prefix  | topic under which the station lives | "tovana/<host name>"      |
struct NetworkSettings {
    std::string brokerHost;
    int brokerPort = kMqttPort;
    bool tls = false;
    std::string caFile;
    std::string user;
    std::string passwordFile;
    std::string topicPrefix;

    bool operator==(const NetworkSettings &) const = default;
};

inline constexpr const char *kNetworkSection = "Network";

// The table above, for the store and the command line alike.
struct NetworkKey {
    const char *key;
    const char *option;
    const char *valueName;
    const char *help;
};
inline constexpr NetworkKey kBrokerHostKey{"BrokerHost", "broker-host", "host",
                                           "The MQTT broker's host name or address."};
inline constexpr NetworkKey kBrokerPortKey{"BrokerPort", "broker-port", "port",
                                           "The broker's port (default 1883, or 8883 with TLS)."};
inline constexpr NetworkKey kTlsKey{"TLS", "tls", "on|off", "Speak TLS to the broker."};
inline constexpr NetworkKey kCaFileKey{"CAFile", "ca-file", "file",
                                       "The CA certificate that signed the broker's (default: the system's CAs)."};
inline constexpr NetworkKey kUserKey{"User", "user", "name", "The user name to log in to the broker with."};
inline constexpr NetworkKey kPasswordFileKey{"PasswordFile", "password-file", "file",
                                             "A file readable only by you whose first line is the password."};
inline constexpr NetworkKey kTopicPrefixKey{"TopicPrefix", "topic-prefix", "topic",
                                            "The topic the station lives under (default tovana/<host name>)."};
inline constexpr NetworkKey kNetworkKeys[] = {kBrokerHostKey, kBrokerPortKey,   kTlsKey,        kCaFileKey,
                                              kUserKey,       kPasswordFileKey, kTopicPrefixKey};

// "tovana/<hostName>".
std::string defaultTopicPrefix(const std::string &hostName);

struct LoadedNetworkSettings {
    NetworkSettings settings;
    std::vector<std::string> problems; // one line per stored text that could not be used
};
LoadedNetworkSettings loadNetworkSettings(const station::Store &store, const std::string &hostName);

// Writes every key; false when the store refused one (its error() says why).
bool saveNetworkSettings(station::Store &store, const NetworkSettings &settings);

// Why these settings cannot be used to connect, one line each; empty when they can. A
// topic prefix must be a topic a client may publish under: not empty, no wildcard (+ #),
// no leading or trailing '/'.
std::vector<std::string> checkNetworkSettings(const NetworkSettings &settings);

// The store's and the command line's text forms.
std::string tlsText(bool tls);
bool parseTls(const std::string &text, bool &tls);
bool parsePort(const std::string &text, int &port);

} // namespace tovana::network
