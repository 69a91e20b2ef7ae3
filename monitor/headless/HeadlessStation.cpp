// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "HeadlessStation.h"

#include "CommandLine.h"
#include "NetworkOptions.h"
#include "QuitSignals.h"

#include <QCoreApplication>

#include <cstdio>

namespace tovana::headless {

void logLine(const QString &line)
{
    QString flat = line;
    flat.replace(QLatin1Char('\n'), QLatin1Char(' '));
    std::fprintf(stderr, "%s\n", qPrintable(flat));
}

HeadlessStation::HeadlessStation(const network::StationNetwork &network, QObject *parent)
    : QObject(parent)
    , m_log(m_host.station(), logLine)
{
    connect(&m_host, &StationHost::message, this, logLine);
    if (!network.usable()) {
        logLine(QStringLiteral("No broker host is set: the station stays off the network"));
        return;
    }
    const QString name = QString::fromStdString(network::localHostName());
    m_publisher = std::make_unique<network::StationPublisher>(m_host, network.settings, name,
                                                              QCoreApplication::applicationVersion());
    connect(m_publisher.get(), &network::StationPublisher::logLine, this, logLine);
    connect(&m_publisher->connection(), &network::MqttConnection::problem, this, logLine);
    connect(&m_publisher->connection(), &network::MqttConnection::connected, this,
            [this] { logLine(QStringLiteral("On the broker under %1").arg(m_publisher->prefix())); });
    connect(m_publisher.get(), &network::StationPublisher::stopped, this, &HeadlessStation::finished);
}

HeadlessStation::~HeadlessStation() = default;

void HeadlessStation::start()
{
    m_host.activate();
    if (m_publisher)
        m_publisher->start();
}

void HeadlessStation::finish()
{
    if (m_finishing)
        return;
    m_finishing = true;
    m_host.save();
    if (m_publisher)
        m_publisher->stop();
    else
        QMetaObject::invokeMethod(this, &HeadlessStation::finished, Qt::QueuedConnection);
}

int runHeadless(QCommandLineParser &parser, int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (const auto status = cli::answer(parser, app.arguments()))
        return *status;
    const network::StationNetwork network = network::stationNetwork(&parser);
    if (network.wanted() && !network.problems.isEmpty()) {
        for (const QString &problem : network.problems)
            logLine(problem);
        return 1;
    }

    QuitSignals quitSignals;
    HeadlessStation station(network);
    QObject::connect(&quitSignals, &QuitSignals::quitRequested, &station, [&station](const QString &signalName) {
        logLine(QStringLiteral("Ending on %1").arg(signalName));
        station.finish();
    });
    QObject::connect(&station, &HeadlessStation::finished, &app, &QCoreApplication::quit);
    station.start();
    return app.exec();
}

} // namespace tovana::headless
