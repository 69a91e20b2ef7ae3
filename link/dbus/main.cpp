// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// tethra: the link server. Started by the session bus when a client first calls it; ends
// once no client holds a connector or the shared object, or when the bus goes away. With
// --stay it runs on without clients (the state is kept) until the bus goes.
#include "BusConnection.h"
#include "CommandLine.h"
#include "IntrospectionXml.h"
#include "LinkService.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>

namespace {

constexpr int startGraceMs = 10000; // time for the activating client's first call
constexpr int lingerMs = 250;       // a client that lets go and takes hold again keeps its server
constexpr uint doNotQueue = 4;      // RequestName flag: fail rather than wait in line
constexpr uint primaryOwner = 1;    // RequestName reply: the name is ours

int fail(const QString &message)
{
    std::fprintf(stderr, "tethra: %s\n", qPrintable(message));
    return 1;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tethra"));
    // The version as the executable's version resource gives it.
    QCoreApplication::setApplicationVersion(
        QStringLiteral(TETHRA_VERSION " (\"" TETHRA_VERSION_TEXT "\")\n"
                                      "EXE Active X\nThis component allows a link from Varnak to Scrivo 5."));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("The link server: one shared link state object on the session bus for every client.\n"
                       "The bus starts it on a client's first call; it ends when no client holds anything."));
    cli::addStandardOptions(parser);
    const QCommandLineOption stay(QStringLiteral("stay"),
                                  QStringLiteral("Keep running, and keep the state, while no client holds anything."));
    parser.addOption(stay);
    if (const auto status = cli::answer(parser, app.arguments()))
        return *status;

    using namespace tethra::dbus;
    QString why;
    const std::unique_ptr<BusConnection> bus = BusConnection::toSessionBus(&why);
    if (!bus)
        return fail(QStringLiteral("cannot connect to the session bus: %1").arg(why));

    // Calls are served from here on: the first call the bus hands over finds the objects.
    LinkService service(*bus, startGraceMs, lingerMs);

    // The bus going away (a private bus torn down, a session ending, or the bus dropping the
    // server) ends the server too, and the values with it: said where the journal keeps it.
    QObject::connect(bus.get(), &BusConnection::disconnected, &app, [] {
        QCoreApplication::exit(
            fail(QStringLiteral("lost the connection to the session bus; the shared object's values are gone")));
    });

    // The name is asked for without blocking: a bus that dies while the server starts would
    // leave a blocking call waiting for ever, where a lost bus ends the process.
    bus->callBus(QStringLiteral("RequestName"), {QString(QLatin1String(serviceName)), doNotQueue})
        .then(&app, [](const BusReply &reply) {
            if (reply.isError())
                QCoreApplication::exit(fail(QStringLiteral("cannot own the bus name %1: %2")
                                                .arg(QLatin1String(serviceName), reply.errorMessage)));
            else if (reply.arguments.value(0).toUInt() != primaryOwner)
                QCoreApplication::exit(fail(QStringLiteral("the bus name %1 is already owned by another process")
                                                .arg(QLatin1String(serviceName))));
        });

    if (parser.isSet(stay) && service.keepState() != 0)
        return fail(QStringLiteral("cannot hold the shared object"));
    QObject::connect(&service, &LinkService::idle, &app, [&app, &bus, &service] {
        // A call may reach the server after it has decided to go: the bus hands over what
        // was sent to the name until it has the name back. Each is answered, refused as the
        // server stopping, so that its client calls again and meets a new server. The
        // answer to ReleaseName comes after every call the bus handed over before it, and
        // all of those have been answered by then, in the order they came.
        service.stopServing();
        bus->callBus(QStringLiteral("ReleaseName"), {QString(QLatin1String(serviceName))}, 5000)
            .then(&app, [](const BusReply &) { QCoreApplication::quit(); });
    });
    return app.exec();
}
