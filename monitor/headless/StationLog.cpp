// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "StationLog.h"

#include "Station.h"

namespace tovana::headless {

namespace {

QString onOff(bool on)
{
    return on ? QStringLiteral("on") : QStringLiteral("off");
}

const QStringList kBandCaptions = {QStringLiteral("160"), QStringLiteral("80"), QStringLiteral("40"),
                                   QStringLiteral("30"),  QStringLiteral("20"), QStringLiteral("17"),
                                   QStringLiteral("15"),  QStringLiteral("12"), QStringLiteral("10")};

} // namespace

StationLog::StationLog(station::Station &station, std::function<void(const QString &)> log)
    : m_station(station)
    , m_log(std::move(log))
{
    m_station.addObserver(this);
}

StationLog::~StationLog()
{
    m_station.removeObserver(this);
}

void StationLog::stationChanged(station::StationChange change, int index)
{
    using station::StationChange;
    switch (change) {
    case StationChange::Relay: relay(index); break;
    case StationChange::Bands: bands(); break;
    case StationChange::Following: following(); break;
    case StationChange::Hold: hold(); break;
    case StationChange::Port: port(); break;
    case StationChange::Board: board(); break;
    case StationChange::Link: link(); break;
    case StationChange::All:
        for (int n = 1; n <= station::kRelayCount; ++n)
            relay(n);
        bands();
        following();
        hold();
        break;
    case StationChange::Meter:
    case StationChange::Readings:
    case StationChange::Lamps:
    case StationChange::Response:
    case StationChange::Limit:
    case StationChange::Trip: break; // the host logs trips and acknowledgements
    }
}

void StationLog::say(const QString &what, const QString &line)
{
    auto said = m_said.find(what);
    if (said != m_said.end() && *said == line)
        return;
    m_said.insert(what, line);
    m_log(line);
}

void StationLog::relay(int n)
{
    const station::RelayConfig &relay = m_station.relay(n);
    say(QStringLiteral("relay %1").arg(n),
        QStringLiteral("Relay %1 \"%2\" %3")
            .arg(QString::number(n), QString::fromStdString(relay.label), onOff(relay.status)));
}

void StationLog::bands()
{
    QString band = QStringLiteral("none");
    for (int position = 1; position <= kBandCaptions.size(); ++position) {
        if (m_station.bandShown(position))
            band = kBandCaptions[position - 1];
    }
    QString line = QStringLiteral("Band %1").arg(band);
    if (!m_station.bandCode().empty())
        line += QStringLiteral(", code %1").arg(QString::fromStdString(m_station.bandCode()));
    if (m_station.codePending())
        line += QStringLiteral(", code waiting");
    say(QStringLiteral("band"), line);
}

void StationLog::following()
{
    say(QStringLiteral("following"), QStringLiteral("Band following %1").arg(onOff(m_station.following())));
}

void StationLog::hold()
{
    QString tx = QStringLiteral("unknown");
    if (m_station.tx() != station::Tx::Unknown)
        tx = onOff(m_station.tx() == station::Tx::Transmit);
    say(QStringLiteral("hold"),
        QStringLiteral("Hold while transmitting %1, TX %2").arg(onOff(m_station.holdWhileTx()), tx));
}

void StationLog::port()
{
    const station::PortConfig &port = m_station.port();
    say(QStringLiteral("port"), QStringLiteral("COM%1 (%2) %3")
                                    .arg(QString::number(port.number), QString::fromStdString(port.settings),
                                         m_station.portOpen() ? QStringLiteral("open") : QStringLiteral("closed")));
}

void StationLog::board()
{
    QString line;
    switch (m_station.board()) {
    case station::BoardState::Closed: line = QStringLiteral("Board: port closed"); break;
    case station::BoardState::Opened: line = QStringLiteral("Board: port open, waiting for a reply"); break;
    case station::BoardState::Answering: line = QStringLiteral("Board answering"); break;
    case station::BoardState::Silent: line = QStringLiteral("Board silent"); break;
    case station::BoardState::Gone:
        line = QStringLiteral("Board gone: %1").arg(QString::fromStdString(m_station.boardLostReason()));
        break;
    }
    say(QStringLiteral("board"), line);
}

void StationLog::link()
{
    say(QStringLiteral("link"),
        m_station.linkAway() ? QStringLiteral("Link server away") : QStringLiteral("Link server reached"));
}

} // namespace tovana::headless
