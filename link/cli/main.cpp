// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// tethra-cli: reads, writes, calls and watches the link server's shared object on the
// session bus. Each failure is one line on stderr and a non-zero exit.
#include "EventPrinter.h"
#include "TethraBus.h"
#include "LinkSession.h"
#include "MemberCatalogue.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QLocale>

#include <cstdio>
#include <optional>

namespace {

using tethra::catalogue::Type;

const char usage[] = "usage: tethra-cli get NAME | set NAME VALUE | call COMMAND [ARGS...] | dump | watch";

int fail(const QString &message)
{
    std::fprintf(stderr, "tethra-cli: %s\n", qPrintable(message));
    return 1;
}

QString latin1(std::string_view text)
{
    return QString::fromLatin1(text.data(), qsizetype(text.size()));
}

std::optional<QVariant> parse(const QString &text, Type type)
{
    bool ok = false;
    switch (type) {
    case Type::Long: {
        const int n = text.toInt(&ok);
        return ok ? std::optional<QVariant>(n) : std::nullopt;
    }
    case Type::Double: {
        const double d = text.toDouble(&ok);
        return ok ? std::optional<QVariant>(d) : std::nullopt;
    }
    default:
        return QVariant(text);
    }
}

QString typeName(Type type)
{
    return type == Type::Long ? QStringLiteral("a 32-bit integer")
                              : type == Type::Double ? QStringLiteral("a number") : QStringLiteral("a text");
}

QString format(const QVariant &value)
{
    if (value.metaType().id() == QMetaType::Double)
        return QString::number(value.toDouble(), 'g', QLocale::FloatingPointShortest);
    return value.toString();
}

const tethra::catalogue::Member *member(const QString &name, tethra::catalogue::Kind kind)
{
    const auto *m = tethra::catalogue::findVarnexMember(name.toStdString());
    return m && m->kind == kind ? m : nullptr;
}

int print(const QString &line)
{
    std::printf("%s\n", qPrintable(line));
    return 0;
}

int run(LinkSession &link, const QStringList &args)
{
    const QString verb = args.value(0);
    if (verb == QLatin1String("get") && args.size() == 2) {
        QVariant value;
        return link.get(args[1], value) ? print(format(value)) : fail(link.error());
    }
    if (verb == QLatin1String("set") && args.size() == 3) {
        const auto *property = member(args[1], tethra::catalogue::Kind::Property);
        if (!property)
            return fail(QStringLiteral("%1 is not a property of the link object").arg(args[1]));
        const auto value = parse(args[2], property->type);
        if (!value)
            return fail(QStringLiteral("%1 takes %2, not \"%3\"").arg(args[1], typeName(property->type), args[2]));
        return link.set(args[1], *value) ? 0 : fail(link.error());
    }
    if (verb == QLatin1String("call") && args.size() >= 2) {
        const auto *command = member(args[1], tethra::catalogue::Kind::Method);
        if (!command)
            return fail(QStringLiteral("%1 is not a command of the link object").arg(args[1]));
        const QStringList given = args.mid(2);
        if (static_cast<std::size_t>(given.size()) != command->arguments.size()) {
            QStringList names;
            for (const auto &a : command->arguments)
                names << latin1(a.name);
            return fail(QStringLiteral("%1 takes %2 argument(s): %3").arg(args[1]).arg(names.size()).arg(names.join(QLatin1Char(' '))));
        }
        QVariantList values;
        for (qsizetype i = 0; i < given.size(); ++i) {
            const auto &argument = command->arguments[std::size_t(i)];
            const auto value = parse(given[i], argument.type);
            if (!value)
                return fail(QStringLiteral("%1 takes %2, not \"%3\"").arg(latin1(argument.name), typeName(argument.type), given[i]));
            values << *value;
        }
        return link.call(args[1], values) ? 0 : fail(link.error());
    }
    if (verb == QLatin1String("dump") && args.size() == 1) {
        QVariantMap all;
        if (!link.getAll(all))
            return fail(link.error());
        for (std::string_view field : tethra::catalogue::fieldOrder()) {
            const QVariant value = all.value(latin1(field));
            const bool text = value.metaType().id() == QMetaType::QString;
            print(QStringLiteral("%1 = %2").arg(latin1(field), text ? QLatin1Char('"') + value.toString() + QLatin1Char('"') : format(value)));
        }
        return 0;
    }
    return fail(QLatin1String(usage));
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    const QStringList verbs{QStringLiteral("get"), QStringLiteral("set"), QStringLiteral("call"), QStringLiteral("dump"),
                            QStringLiteral("watch")};
    if (args == QStringList{QStringLiteral("--help")} || args == QStringList{QStringLiteral("-h")})
        return print(QLatin1String(usage));
    if (args == QStringList{QStringLiteral("--version")} || args == QStringList{QStringLiteral("-v")})
        return print(QStringLiteral("tethra-cli " TOVANA_VERSION));
    if (args.isEmpty() || !verbs.contains(args.first()) || (args.first() == QLatin1String("watch") && args.size() != 1)) {
        fail(QLatin1String(usage));
        return 2;
    }

    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return fail(QStringLiteral("cannot connect to the session bus: %1").arg(bus.lastError().message()));
    LinkSession link(bus);
    if (!link.open())
        return fail(QStringLiteral("cannot reach the link server: %1").arg(link.error()));

    if (args.first() != QLatin1String("watch"))
        return run(link, args);

    EventPrinter printer;
    if (!bus.connect(QLatin1String(tethra::bus::serviceName), link.objectPath(), QLatin1String(tethra::bus::eventInterface),
                     QString(), &printer, SLOT(print(QDBusMessage))))
        return fail(QStringLiteral("cannot watch the events: %1").arg(bus.lastError().message()));
    // A round trip to the bus after the match rule: once it returns, no event can be missed.
    bus.interface()->call(QStringLiteral("GetId"));
    print(QStringLiteral("watching %1").arg(link.objectPath()));
    std::fflush(stdout);
    return app.exec();
}
