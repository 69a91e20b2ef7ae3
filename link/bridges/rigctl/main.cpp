// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// tethra-rigctl: publishes a radio that Hamlib's rigctld controls through the link server,
// and carries the link server's requests back to the radio.
#include "CommandLine.h"
#include "LinkClient.h"
#include "RigBridge.h"
#include "RigctlClient.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <cstdio>

namespace {

int fail(const QString &message)
{
    std::fprintf(stderr, "tethra-rigctl: %s\n", qUtf8Printable(message));
    return 1;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tethra-rigctl"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TOVANA_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Publishes a radio controlled by rigctld through the link server."));
    cli::addStandardOptions(parser);
    const QCommandLineOption host(QStringLiteral("host"), QStringLiteral("rigctld host (default localhost)."),
                                  QStringLiteral("name"), QStringLiteral("localhost"));
    const QCommandLineOption port(QStringLiteral("port"), QStringLiteral("rigctld TCP port (default 4532)."),
                                  QStringLiteral("number"), QStringLiteral("4532"));
    const QCommandLineOption interval(QStringLiteral("interval"),
                                      QStringLiteral("Milliseconds between polls of the radio (default 200)."),
                                      QStringLiteral("ms"), QStringLiteral("200"));
    parser.addOptions({host, port, interval});
    if (const auto status = cli::answer(parser, app.arguments()))
        return *status;

    bool ok = false;
    const uint portNumber = parser.value(port).toUInt(&ok);
    if (!ok || portNumber == 0 || portNumber > 65535)
        return cli::usageError(
            parser, QStringLiteral("--port must be a number from 1 to 65535, not \"%1\".").arg(parser.value(port)));
    const int intervalMs = parser.value(interval).toInt(&ok);
    if (!ok || intervalMs < 10 || intervalMs > 60000)
        return cli::usageError(
            parser, QStringLiteral("--interval must be from 10 to 60000 ms, not \"%1\".").arg(parser.value(interval)));

    tethra::client::LinkClient link;
    if (const QString noBus = link.busError(); !noBus.isEmpty())
        return fail(QStringLiteral("cannot reach the session bus: %1").arg(noBus));

    RigctlClient rig(parser.value(host), quint16(portNumber));
    RigBridge bridge(rig, link, intervalMs);
    bridge.start();
    return app.exec();
}
