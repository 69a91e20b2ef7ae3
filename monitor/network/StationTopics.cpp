// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "StationTopics.h"

namespace tovana::network::topics {

namespace {

const QString kSet = QStringLiteral("/set");

QString under(const QString &prefix, const QString &path)
{
    return prefix + QLatin1Char('/') + path;
}

} // namespace

QString availability(const QString &prefix)
{
    return under(prefix, QStringLiteral("availability"));
}
QString meter(const QString &prefix, int m)
{
    return under(prefix, QStringLiteral("meter/%1").arg(m));
}
QString meterCaption(const QString &prefix, int m)
{
    return meter(prefix, m) + QStringLiteral("/caption");
}
QString meterScale(const QString &prefix, int m)
{
    return meter(prefix, m) + QStringLiteral("/scale");
}
QString meterTrip(const QString &prefix, int m)
{
    return meter(prefix, m) + QStringLiteral("/trip");
}
QString meterTripSet(const QString &prefix, int m)
{
    return meterTrip(prefix, m) + QStringLiteral("/set");
}
QString relay(const QString &prefix, int n)
{
    return under(prefix, QStringLiteral("relay/%1").arg(n));
}
QString relayLabel(const QString &prefix, int n)
{
    return relay(prefix, n) + QStringLiteral("/label");
}
QString relaySet(const QString &prefix, int n)
{
    return relay(prefix, n) + kSet;
}
QString band(const QString &prefix)
{
    return under(prefix, QStringLiteral("band"));
}
QString bandSet(const QString &prefix)
{
    return band(prefix) + kSet;
}
QString bandCode(const QString &prefix)
{
    return band(prefix) + QStringLiteral("/code");
}
QString following(const QString &prefix)
{
    return under(prefix, QStringLiteral("following"));
}
QString followingSet(const QString &prefix)
{
    return following(prefix) + kSet;
}
QString hold(const QString &prefix)
{
    return under(prefix, QStringLiteral("hold"));
}
QString tx(const QString &prefix)
{
    return under(prefix, QStringLiteral("tx"));
}
QString board(const QString &prefix)
{
    return under(prefix, QStringLiteral("board"));
}
QString refused(const QString &prefix)
{
    return under(prefix, QStringLiteral("refused"));
}

QStringList commandFilters(const QString &prefix)
{
    return {under(prefix, QStringLiteral("relay/+/set")), bandSet(prefix), followingSet(prefix),
            under(prefix, QStringLiteral("meter/+/trip/set"))};
}

} // namespace tovana::network::topics
