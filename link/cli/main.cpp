// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// tethra-cli: reads, writes, calls and watches the link server's shared object on the
// session bus, for people and for scripts. Every error is one line on stderr that names the
// member and ends in the status code; the exit status is 0 on success, 1 for a refused call
// (by the server, or found here before it was sent) and 2 for a usage error.
#include "CommandLine.h"
#include "LinkClient.h"
#include "MemberCatalogue.h"
#include "Names.h"
#include "Status.h"
#include "ValueText.h"
#include "Watch.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QStringList>

#include <cstdio>
#include <functional>

namespace {

using tethra::catalogue::Kind;
using tethra::client::LinkClient;
using tethra::client::Reply;
using namespace tethracli;

constexpr int kRefused = 1;
constexpr int kCallTimeoutMs = 10000;

const char synopsis[] = "usage: tethra-cli [--json] get NAME\n"
                        "       tethra-cli [--json] dump\n"
                        "       tethra-cli [--json] watch\n"
                        "       tethra-cli set NAME VALUE\n"
                        "       tethra-cli call COMMAND [ARGUMENT...]\n"
                        "       tethra-cli list\n";

const char verbsHelp[] = "Verbs:\n"
                         "  get NAME             print the value of a property\n"
                         "  set NAME VALUE       write a property\n"
                         "  call COMMAND [ARG..] call a command (it stores its arguments and raises its event)\n"
                         "  dump                 print every property, texts quoted with JSON's escapes\n"
                         "  watch                print every change and every event as it happens\n"
                         "  list                 list the properties and the commands\n"
                         "With --json, get, dump and watch print one JSON object per line.\n"
                         "Options go before the verb. Exit status: 0 success, 1 the call was refused, 2 usage error.";

QString code(std::int32_t status)
{
    return QStringLiteral("0x") +
           QString::number(static_cast<std::uint32_t>(status), 16).toUpper().rightJustified(8, QLatin1Char('0'));
}

void say(const QString &line)
{
    std::fprintf(stderr, "tethra-cli: %s\n", line.toUtf8().constData());
    std::fflush(stderr);
}

int refused(const QString &what, std::int32_t status)
{
    say(QStringLiteral("%1 [%2]").arg(what, code(status)));
    return kRefused;
}

// A call the server (or the bus) refused, in the same words as one refused here.
int refused(const QString &what, const Reply &reply)
{
    QString reason = reply.error;
    QString tag = reply.errorName;
    if (reply.status) {
        tag = code(std::int32_t(*reply.status));
        reason = reason.mid(11); // past "0x800A0006 "
    }
    say(QStringLiteral("%1: %2 [%3]").arg(what, reason, tag));
    return kRefused;
}

int usage(const QString &message)
{
    std::fprintf(stderr, "tethra-cli: %s\n%sTry 'tethra-cli --help' for more information.\n",
                 message.toUtf8().constData(), synopsis);
    return cli::kUsageError;
}

QString oneLine(std::string_view help)
{
    return latin1(help).replace(QLatin1String("\r\n"), QLatin1String(" / ")).simplified();
}

int list()
{
    print(QStringLiteral("Properties (type, access, help):"));
    for (std::string_view field : tethra::catalogue::fieldOrder()) {
        const auto *m = tethra::catalogue::findVarnexMember(field);
        QString line = QStringLiteral("  %1 %2 %3 %4")
                           .arg(latin1(m->name), -16)
                           .arg(typeName(m->type, m->textWidth), -8)
                           .arg(m->letOffset == 0 ? QStringLiteral("read") : QStringLiteral("read/write"), -10)
                           .arg(oneLine(m->help));
        while (line.endsWith(QLatin1Char(' ')))
            line.chop(1);
        print(line);
    }
    print(QStringLiteral("Commands (arguments and the fields they are stored in, event, help):"));
    for (const auto &m : tethra::catalogue::varnexMembers()) {
        if (m.kind != Kind::Method)
            continue;
        QStringList arguments;
        for (const auto &a : m.arguments) {
            QString text = QStringLiteral("%1: %2").arg(latin1(a.name),
                                                        a.enumName.empty() ? typeName(a.type) : latin1(a.enumName));
            if (a.byReference)
                text += QStringLiteral(" by reference");
            arguments << text + QStringLiteral(" -> ") + latin1(a.field);
        }
        print(QStringLiteral("  %1(%2) raises %3%4")
                  .arg(latin1(m.name), arguments.join(QStringLiteral(", ")), latin1(m.event),
                       m.help.empty() ? QString() : QStringLiteral("  ") + oneLine(m.help)));
    }
    return 0;
}

// A verb ready to run once the link is up, checked as far as it can be without the server.
struct Job {
    std::function<void(LinkClient &, std::function<void(int)> done)> run;
    bool watch = false;
};

std::optional<int> prepare(const QString &verb, const QStringList &args, bool json, Job &job)
{
    if (verb == QLatin1String("get")) {
        const QString name = args.value(0);
        if (!member(name, Kind::Property))
            return refused(noSuchMember(name, Kind::Property), tethra::status::unknownName);
        job.run = [name, json](LinkClient &link, std::function<void(int)> done) {
            link.read(name, nullptr, [name, json, done](const Reply &reply) {
                if (!reply.ok())
                    return done(refused(QStringLiteral("cannot get %1").arg(name), reply));
                print(json ? record(QStringLiteral("get"), {{name, reply.value}}) : plain(reply.value));
                done(0);
            });
        };
        return std::nullopt;
    }
    if (verb == QLatin1String("set")) {
        const QString name = args.value(0);
        const auto *property = member(name, Kind::Property);
        if (!property)
            return refused(noSuchMember(name, Kind::Property), tethra::status::unknownName);
        const Parsed value = parse(args.value(1), property->type);
        if (!value.value)
            return refused(QStringLiteral("%1 takes a %2, %3").arg(name, typeName(property->type), value.why),
                           value.status);
        job.run = [name, v = *value.value](LinkClient &link, std::function<void(int)> done) {
            link.write(name, v, nullptr, [name, done](const Reply &reply) {
                done(reply.ok() ? 0 : refused(QStringLiteral("cannot set %1").arg(name), reply));
            });
        };
        return std::nullopt;
    }
    if (verb == QLatin1String("call")) {
        const QString name = args.value(0);
        const auto *command = member(name, Kind::Method);
        if (!command)
            return refused(noSuchMember(name, Kind::Method), tethra::status::memberNotFound);
        const QStringList given = args.mid(1);
        if (std::size_t(given.size()) != command->arguments.size()) {
            QStringList names;
            for (const auto &a : command->arguments)
                names << latin1(a.name);
            return refused(
                QStringLiteral("%1 takes %2 argument(s)%3, not %4")
                    .arg(name)
                    .arg(names.size())
                    .arg(names.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(names.join(QLatin1Char(' '))))
                    .arg(given.size()),
                tethra::status::badParamCount);
        }
        QVariantList values;
        for (qsizetype i = 0; i < given.size(); ++i) {
            const auto &argument = command->arguments[std::size_t(i)];
            const Parsed value = parse(given[i], argument.type);
            if (!value.value)
                return refused(QStringLiteral("%1 of %2 takes a %3, %4")
                                   .arg(latin1(argument.name), name, typeName(argument.type), value.why),
                               value.status);
            values << *value.value;
        }
        job.run = [name, values](LinkClient &link, std::function<void(int)> done) {
            link.call(name, values, nullptr, [name, done](const Reply &reply) {
                done(reply.ok() ? 0 : refused(QStringLiteral("cannot call %1").arg(name), reply));
            });
        };
        return std::nullopt;
    }
    if (verb == QLatin1String("dump")) {
        job.run = [json](LinkClient &link, std::function<void(int)> done) {
            link.readAll(nullptr, [json, done](const Reply &reply) {
                if (!reply.ok())
                    return done(refused(QStringLiteral("cannot read the object"), reply));
                const QVariantMap all = reply.value.toMap();
                Values ordered;
                for (std::string_view field : tethra::catalogue::fieldOrder())
                    ordered.append({latin1(field), all.value(latin1(field))});
                if (json)
                    print(record(QStringLiteral("dump"), ordered));
                else
                    for (const auto &[name, value] : ordered)
                        print(QStringLiteral("%1 = %2").arg(name, quotedPlain(value)));
                done(0);
            });
        };
        return std::nullopt;
    }
    job.watch = true;
    return std::nullopt;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tethra-cli"));

    QCoreApplication::setApplicationVersion(QStringLiteral(TOVANA_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Reads, writes, calls and watches the link server's shared object.\n\n") +
        QLatin1String(verbsHelp));
    // Options go before the verb, so negative numbers after it stay arguments.
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    cli::addStandardOptions(parser);
    const QCommandLineOption json(QStringLiteral("json"),
                                  QStringLiteral("One JSON object per line (get, dump, watch)."));
    parser.addOption(json);
    parser.addPositionalArgument(QStringLiteral("verb"), QStringLiteral("get, set, call, dump, watch or list"),
                                 QStringLiteral("VERB [ARGUMENT...]"));
    if (const auto status = cli::answer(parser, exactArguments(argc, argv), true))
        return *status;

    const QStringList positional = parser.positionalArguments();
    const QString verb = positional.value(0);
    const QStringList args = positional.mid(1);
    const QHash<QString, std::pair<qsizetype, qsizetype>> shapes{
        {QStringLiteral("get"), {1, 1}},  {QStringLiteral("set"), {2, 2}},   {QStringLiteral("call"), {1, -1}},
        {QStringLiteral("dump"), {0, 0}}, {QStringLiteral("watch"), {0, 0}}, {QStringLiteral("list"), {0, 0}}};
    if (verb.isEmpty())
        return usage(QStringLiteral("a verb is needed"));
    const auto shape = shapes.constFind(verb);
    if (shape == shapes.cend())
        return usage(QStringLiteral("unknown verb '%1'").arg(verb));
    if (args.size() < shape->first || (shape->second >= 0 && args.size() > shape->second))
        return usage(QStringLiteral("wrong number of arguments for %1").arg(verb));
    const bool asJson = parser.isSet(json);
    if (asJson && verb != QLatin1String("get") && verb != QLatin1String("dump") && verb != QLatin1String("watch"))
        return usage(QStringLiteral("--json goes with get, dump and watch"));
    if (verb == QLatin1String("list"))
        return list();

    Job job;
    if (const auto early = prepare(verb, args, asJson, job))
        return *early;

    LinkClient link;
    if (const QString noBus = link.busError(); !noBus.isEmpty()) {
        say(QStringLiteral("cannot connect to the session bus: %1").arg(noBus));
        return kRefused;
    }
    link.setCallTimeout(kCallTimeoutMs);
    bool everConnected = false;
    QObject::connect(&link, &LinkClient::connectFailed, &app, [&](const QString &reason) {
        // A watch that lost its server tries again for as long as the bus is there.
        if (job.watch && everConnected && link.busError().isEmpty())
            return;
        say(QStringLiteral("cannot reach the link server: %1").arg(reason));
        QCoreApplication::exit(kRefused);
    });

    std::unique_ptr<Watch> watch;
    if (job.watch) {
        link.setReconnect(true);
        watch = std::make_unique<Watch>(link, asJson);
    }
    QObject::connect(&link, &LinkClient::connected, &app, [&] {
        if (everConnected)
            return;
        everConnected = true;
        if (job.run)
            job.run(link, [&link](int status) {
                link.disconnectFromServer();
                QCoreApplication::exit(status);
            });
    });
    link.connectToServer();
    return app.exec();
}
