// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "NetworkOptions.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QSysInfo>

namespace tovana::network {

namespace {

QString optionName(const NetworkKey &key)
{
    return QString::fromUtf8(key.option);
}

} // namespace

void addNetworkOptions(QCommandLineParser &parser)
{
    for (const NetworkKey &key : kNetworkKeys) {
        parser.addOption(
            QCommandLineOption(optionName(key), QString::fromUtf8(key.help), QString::fromUtf8(key.valueName)));
    }
}

QStringList applyNetworkOptions(const QCommandLineParser &parser, NetworkSettings &settings)
{
    QStringList problems;
    const auto given = [&](const NetworkKey &key) { return parser.isSet(optionName(key)); };
    const auto value = [&](const NetworkKey &key) { return parser.value(optionName(key)).toStdString(); };
    const auto unusable = [&](const NetworkKey &key, const QString &expected) {
        problems << QStringLiteral("--%1 %2: not %3").arg(optionName(key), parser.value(optionName(key)), expected);
    };

    if (given(kBrokerHostKey))
        settings.brokerHost = value(kBrokerHostKey);
    if (given(kTlsKey)) {
        const bool before = settings.tls;
        if (!parseTls(value(kTlsKey), settings.tls))
            unusable(kTlsKey, QStringLiteral("on or off"));
        // A port left at the other mode's usual number follows the mode.
        if (settings.tls != before && settings.brokerPort == (before ? kMqttTlsPort : kMqttPort))
            settings.brokerPort = settings.tls ? kMqttTlsPort : kMqttPort;
    }
    if (given(kBrokerPortKey) && !parsePort(value(kBrokerPortKey), settings.brokerPort))
        unusable(kBrokerPortKey, QStringLiteral("a port number (1 to 65535)"));
    if (given(kCaFileKey))
        settings.caFile = value(kCaFileKey);
    if (given(kUserKey))
        settings.user = value(kUserKey);
    if (given(kPasswordFileKey))
        settings.passwordFile = value(kPasswordFileKey);
    if (given(kTopicPrefixKey))
        settings.topicPrefix = value(kTopicPrefixKey);
    return problems;
}

std::string localHostName()
{
    return QSysInfo::machineHostName().toStdString();
}

} // namespace tovana::network
