// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// tethra-cli against a server activated on a private bus: one process writes, another
// reads, a third watches the changes and events, as text or as JSON lines.
#include "LinkTestClient.h"
#include "PrivateBus.h"

#include <QDBusConnectionInterface>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

class Cli : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(bus.isRunning()); }

    ProgramResult run(const QStringList &args)
    {
        return runProgram(QStringLiteral(TETHRA_CLI_PATH), args, bus.environment());
    }

    // Starts a watch and returns its first line (which names the object).
    QByteArray startWatch(const QStringList &options = {})
    {
        watch.setProcessEnvironment(bus.environment());
        watch.start(QStringLiteral(TETHRA_CLI_PATH), options + QStringList{QStringLiteral("watch")});
        if (!waitUntil([&] { return watch.canReadLine(); }))
            return {};
        return watch.readLine();
    }

    // The watch's lines from now until one contains the text.
    QList<QByteArray> watchLinesUntil(const QByteArray &text)
    {
        QByteArray printed;
        waitUntil([&] {
            printed += watch.readAllStandardOutput();
            return printed.contains(text);
        });
        QList<QByteArray> lines = printed.split('\n');
        lines.removeAll(QByteArray());
        return lines;
    }

    void TearDown() override
    {
        watch.kill();
        watch.waitForFinished(5000);
    }

    PrivateBus bus;
    QProcess watch;
};

const QRegularExpression isoWithZone(QStringLiteral(R"(^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}(Z|[+-]\d\d:\d\d)$)"));

} // namespace

TEST_F(Cli, ValueSetByOneProcessIsReadByAnotherWhileWatched)
{
    ASSERT_TRUE(startWatch().startsWith("watching /org/tethra/Tethra/Varnex/"));
    EXPECT_EQ(run({QStringLiteral("set"), QStringLiteral("Band"), QStringLiteral("5")}).exitCode, 0);
    const auto got = run({QStringLiteral("get"), QStringLiteral("Band")});
    EXPECT_EQ(got.exitCode, 0) << qPrintable(got.err);
    EXPECT_EQ(got.out, QStringLiteral("5\n"));
    const auto dump = run({QStringLiteral("dump")});
    EXPECT_TRUE(dump.out.startsWith(QStringLiteral("Freq = 0\nMode = 0\n"))) << qPrintable(dump.out);
    EXPECT_TRUE(dump.out.contains(QStringLiteral("\nBand = 5\n")));
    EXPECT_TRUE(dump.out.contains(QStringLiteral("\nCallSign = \"            \"\n")));
}

TEST_F(Cli, WatcherPrintsTheChangeAndTheEventOfACommandWithTheStoredValue)
{
    ASSERT_FALSE(startWatch().isEmpty());
    const auto called = run({QStringLiteral("call"), QStringLiteral("SetFreq"), QStringLiteral("14.074")});
    EXPECT_EQ(called.exitCode, 0) << qPrintable(called.err);
    const QList<QByteArray> lines = watchLinesUntil("RaiseFreq");
    ASSERT_EQ(lines.size(), 2) << lines.join('\n').constData();
    const QString stamp = QStringLiteral(R"(^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}(Z|[+-]\d\d:\d\d) )");
    EXPECT_TRUE(QRegularExpression(stamp + QStringLiteral("changed NewFreq=14.074$"))
                    .match(QString::fromUtf8(lines[0]))
                    .hasMatch())
        << lines[0].constData();
    EXPECT_TRUE(QRegularExpression(stamp + QStringLiteral("RaiseFreq NewFreq=14.074$"))
                    .match(QString::fromUtf8(lines[1]))
                    .hasMatch())
        << lines[1].constData();

    // The same value again changes nothing, but the event still tells what was stored.
    run({QStringLiteral("call"), QStringLiteral("SetFreq"), QStringLiteral("14.074")});
    const QList<QByteArray> again = watchLinesUntil("RaiseFreq");
    ASSERT_EQ(again.size(), 1) << again.join('\n').constData();
    EXPECT_TRUE(again[0].endsWith(" RaiseFreq NewFreq=14.074"));
}

TEST_F(Cli, JsonWatchGivesOneObjectPerLineForTheStateItsChangesAndEvents)
{
    const QJsonObject first = QJsonDocument::fromJson(startWatch({QStringLiteral("--json")})).object();
    EXPECT_EQ(first[QLatin1String("type")].toString(), QStringLiteral("watching"));
    EXPECT_TRUE(first[QLatin1String("object")].toString().startsWith(QLatin1String("/org/tethra/Tethra/Varnex/")));
    EXPECT_EQ(first[QLatin1String("values")].toObject().size(), 59);
    EXPECT_EQ(first[QLatin1String("values")][QLatin1String("CallSign")].toString(), QString(12, QLatin1Char(' ')));

    run({QStringLiteral("set"), QStringLiteral("Freq"), QStringLiteral("7.0745")});
    run({QStringLiteral("call"), QStringLiteral("SetSpot"), QStringLiteral("14.074"), QStringLiteral("JA1\"X\""),
         QStringLiteral("CQ")});
    const QList<QByteArray> lines = watchLinesUntil("RaiseSpot");
    ASSERT_EQ(lines.size(), 3) << lines.join('\n').constData();
    QList<QJsonObject> records;
    for (const QByteArray &line : lines) {
        QJsonParseError error;
        const QJsonDocument document = QJsonDocument::fromJson(line, &error);
        ASSERT_EQ(error.error, QJsonParseError::NoError) << line.constData();
        records << document.object();
        EXPECT_TRUE(isoWithZone.match(records.last()[QLatin1String("time")].toString()).hasMatch()) << line.constData();
    }
    EXPECT_EQ(records[0][QLatin1String("type")].toString(), QStringLiteral("change"));
    EXPECT_EQ(records[0][QLatin1String("values")].toObject(), (QJsonObject{{QStringLiteral("Freq"), 7.0745}}));
    EXPECT_EQ(records[1][QLatin1String("type")].toString(), QStringLiteral("change"));
    const QJsonObject spot{{QStringLiteral("NewFreq"), 14.074},
                           {QStringLiteral("NewCallSign"), QStringLiteral("JA1\"X\"      ")},
                           {QStringLiteral("NewComment"), QStringLiteral("CQ") + QString(28, QLatin1Char(' '))}};
    EXPECT_EQ(records[1][QLatin1String("values")].toObject(), spot);
    EXPECT_EQ(records[2][QLatin1String("type")].toString(), QStringLiteral("event"));
    EXPECT_EQ(records[2][QLatin1String("event")].toString(), QStringLiteral("RaiseSpot"));
    EXPECT_EQ(records[2][QLatin1String("values")].toObject(), spot);
}

TEST_F(Cli, DumpEscapesTextsSoTheyReadBackUnchanged)
{
    ASSERT_FALSE(startWatch().isEmpty()); // holds the server between the one-shot calls
    const QString comment = QStringLiteral("say \"73\" \\ de\nG4\t\x01!");
    ASSERT_EQ(run({QStringLiteral("set"), QStringLiteral("Comment"), comment}).exitCode, 0);
    const QString stored = comment + QString(30 - comment.size(), QLatin1Char(' '));

    const auto dump = run({QStringLiteral("dump")});
    const QRegularExpressionMatch line =
        QRegularExpression(QStringLiteral("^Comment = (.*)$"), QRegularExpression::MultilineOption).match(dump.out);
    ASSERT_TRUE(line.hasMatch()) << qPrintable(dump.out);
    EXPECT_EQ(dump.out.count(QLatin1Char('\n')), 59) << "one line per field";
    const QJsonDocument literal = QJsonDocument::fromJson(QStringLiteral("[%1]").arg(line.captured(1)).toUtf8());
    EXPECT_EQ(literal.array().at(0).toString(), stored) << qPrintable(line.captured(1));

    const QJsonObject json =
        QJsonDocument::fromJson(run({QStringLiteral("--json"), QStringLiteral("dump")}).out.toUtf8()).object();
    EXPECT_EQ(json[QLatin1String("values")][QLatin1String("Comment")].toString(), stored);
    EXPECT_EQ(run({QStringLiteral("get"), QStringLiteral("Comment")}).out,
              QStringLiteral("say \"73\" \\\\ de\\nG4\\t\\u0001!") + QString(30 - comment.size(), QLatin1Char(' ')) +
                  QLatin1Char('\n'))
        << "get writes backslashes and control characters escaped, but no quotes";
    const QJsonObject got =
        QJsonDocument::fromJson(
            run({QStringLiteral("--json"), QStringLiteral("get"), QStringLiteral("Band")}).out.toUtf8())
            .object();
    EXPECT_EQ(got[QLatin1String("type")].toString(), QStringLiteral("get"));
    EXPECT_EQ(got[QLatin1String("values")].toObject(), (QJsonObject{{QStringLiteral("Band"), 0}}));
}

// What is set comes back as it was in every form of output: a leading U+FEFF, the sign of
// zero, and control characters, which reach the terminal only escaped.
TEST_F(Cli, ValuesComeBackExactly)
{
    const QByteArray first = startWatch();
    ASSERT_TRUE(first.startsWith("watching ")) << first.constData();
    const QString object = QString::fromUtf8(first.mid(9).trimmed());
    const auto jsonValue = [&](const QStringList &args, const QString &name) {
        return QJsonDocument::fromJson(run(args).out.toUtf8()).object()[QLatin1String("values")][name].toString();
    };
    const auto dumped = [&](const QStringList &options, const QString &name) {
        const QString out = run(options + QStringList{QStringLiteral("dump")}).out;
        if (!options.isEmpty())
            return QJsonDocument::fromJson(out.toUtf8()).object()[QLatin1String("values")][name].toString();
        return QRegularExpression(QStringLiteral("^%1 = (.*)$").arg(name), QRegularExpression::MultilineOption)
            .match(out)
            .captured(1);
    };

    const QString bom = QStringLiteral(u"\uFEFFQ");
    ASSERT_EQ(run({QStringLiteral("set"), QStringLiteral("sData"), bom}).exitCode, 0);
    EXPECT_EQ(rawStringProperty(bus.address(), object, QStringLiteral("sData")), bom.toUtf8()) << "set keeps it";
    EXPECT_EQ(run({QStringLiteral("get"), QStringLiteral("sData")}).out, bom + QLatin1Char('\n'));
    EXPECT_EQ(
        jsonValue({QStringLiteral("--json"), QStringLiteral("get"), QStringLiteral("sData")}, QStringLiteral("sData")),
        bom);
    EXPECT_EQ(dumped({}, QStringLiteral("sData")), QStringLiteral("\"\\ufeffQ\"")) << "escaped where quoted, as JSON";
    EXPECT_EQ(dumped({QStringLiteral("--json")}, QStringLiteral("sData")), bom);

    ASSERT_EQ(run({QStringLiteral("set"), QStringLiteral("Freq"), QStringLiteral("-0.0")}).exitCode, 0);
    EXPECT_EQ(run({QStringLiteral("get"), QStringLiteral("Freq")}).out, QStringLiteral("-0\n"));
    EXPECT_TRUE(run({QStringLiteral("--json"), QStringLiteral("get"), QStringLiteral("Freq")})
                    .out.contains(QStringLiteral("{\"Freq\":-0}")));
    EXPECT_EQ(dumped({}, QStringLiteral("Freq")), QStringLiteral("-0"));

    const QString bell = QStringLiteral("\x1b]0;owned\x07\x1b[31mred\x07");
    ASSERT_EQ(run({QStringLiteral("set"), QStringLiteral("sData"), bell}).exitCode, 0);
    const QString shown = run({QStringLiteral("get"), QStringLiteral("sData")}).out;
    EXPECT_EQ(shown, QStringLiteral("\\u001b]0;owned\\u0007\\u001b[31mred\\u0007\n"));
    EXPECT_EQ(
        QJsonDocument::fromJson(QStringLiteral("[\"%1\"]").arg(shown.trimmed()).toUtf8()).array().at(0).toString(),
        bell)
        << "reads back as JSON's escapes";
    EXPECT_EQ(
        jsonValue({QStringLiteral("--json"), QStringLiteral("get"), QStringLiteral("sData")}, QStringLiteral("sData")),
        bell);
    EXPECT_EQ(dumped({QStringLiteral("--json")}, QStringLiteral("sData")), bell);
}

TEST_F(Cli, ErrorsNameTheMemberSuggestTheNearestAndEndInTheStatus)
{
    const QList<std::pair<QStringList, QString>> refused = {
        {{QStringLiteral("get"), QStringLiteral("band")},
         QStringLiteral("no property 'band' (did you mean Band?) [0x80020006]")},
        {{QStringLiteral("set"), QStringLiteral("NewBnad"), QStringLiteral("3")},
         QStringLiteral("no property 'NewBnad' (did you mean NewBand?) [0x80020006]")},
        {{QStringLiteral("set"), QStringLiteral("Band"), QStringLiteral("twenty")},
         QStringLiteral("Band takes a Long, not 'twenty' [0x80020005]")},
        {{QStringLiteral("set"), QStringLiteral("Band"), QStringLiteral("99999999999")},
         QStringLiteral("Band takes a Long, 99999999999 does not fit a 32-bit integer [0x800A0006]")},
        {{QStringLiteral("call"), QStringLiteral("setfreq"), QStringLiteral("7")},
         QStringLiteral("no command 'setfreq' (did you mean SetFreq?) [0x80020003]")},
        {{QStringLiteral("call"), QStringLiteral("Band")},
         QStringLiteral("no command 'Band' (Band is a property) [0x80020003]")},
        {{QStringLiteral("call"), QStringLiteral("SetRPT"), QStringLiteral("600")},
         QStringLiteral("SetRPT takes 2 argument(s) (KhzShift Direction), not 1 [0x8002000E]")},
        {{QStringLiteral("get"), QStringLiteral("Zebra")}, QStringLiteral("no property 'Zebra' [0x80020006]")},
    };
    for (const auto &[args, message] : refused) {
        const auto result = run(args);
        EXPECT_EQ(result.exitCode, 1) << qPrintable(args.join(QLatin1Char(' ')));
        EXPECT_EQ(result.err, QStringLiteral("tethra-cli: ") + message + QLatin1Char('\n'));
    }
    const QList<QStringList> misuse = {
        {QStringLiteral("frobnicate")},
        {},
        {QStringLiteral("get")},
        {QStringLiteral("--bogus"), QStringLiteral("dump")},
        {QStringLiteral("--json"), QStringLiteral("set"), QStringLiteral("Band"), QStringLiteral("1")},
        {QStringLiteral("dump"), QStringLiteral("--json")},
    };
    for (const QStringList &args : misuse) {
        const auto result = run(args);
        EXPECT_EQ(result.exitCode, 2) << qPrintable(args.join(QLatin1Char(' ')));
        EXPECT_TRUE(result.err.startsWith(QStringLiteral("tethra-cli: "))) << qPrintable(result.err);
        EXPECT_TRUE(result.err.contains(QStringLiteral("Try 'tethra-cli --help'"))) << qPrintable(result.err);
    }
    // A negative number after the verb is an argument, not an option.
    EXPECT_EQ(
        run({QStringLiteral("call"), QStringLiteral("SetRPT"), QStringLiteral("600"), QStringLiteral("-1")}).exitCode,
        0);
    EXPECT_EQ(run({QStringLiteral("--help")}).exitCode, 0);
    EXPECT_EQ(run({QStringLiteral("--version")}).exitCode, 0);
}

TEST_F(Cli, ListGivesEveryPropertyAndCommandWithoutTheServer)
{
    const auto listed = run({QStringLiteral("list")});
    ASSERT_EQ(listed.exitCode, 0) << qPrintable(listed.err);
    const QStringList lines = listed.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    EXPECT_EQ(lines.size(), 1 + 59 + 1 + 31);
    EXPECT_TRUE(lines.contains(QStringLiteral("  CallSign         Text*12  read/write Current callsign - String * 12")))
        << qPrintable(listed.out);
    EXPECT_TRUE(
        lines.contains(QStringLiteral("  PTT              Long     read/write Current PTT state / 0 = RX / 1 = TX")));
    EXPECT_TRUE(lines.contains(
        QStringLiteral("  SetRPT(KhzShift: Long -> NewRPTOffset, Direction: tetRPT -> NewRPT) raises RaiseRPT  "
                       "Set new Repeater conditions : / Shift (Khz) / Direction (-1 down / 0 simplex / 1 up)")));
    EXPECT_TRUE(lines.contains(QStringLiteral("  SetOK() raises OK  Send OK event to Scrivo")));
    EXPECT_TRUE(bus.connect(QStringLiteral("observer"))
                    .interface()
                    ->isServiceRegistered(QStringLiteral("org.tethra.Tethra"))
                    .value() == false)
        << "list needs no server";
}

TEST_F(Cli, WithoutABusItSaysSo)
{
    QProcessEnvironment env = bus.environment();
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QStringLiteral("unix:path=/nonexistent/bus"));
    const auto result =
        runProgram(QStringLiteral(TETHRA_CLI_PATH), {QStringLiteral("get"), QStringLiteral("Band")}, env);
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.err.startsWith(QStringLiteral("tethra-cli: cannot connect to the session bus")))
        << qPrintable(result.err);
}
