// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// tethra-cli against a server activated on a private bus: one process writes, another
// reads, a third watches the events.
#include "LinkTestClient.h"
#include "PrivateBus.h"

#include <QProcess>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

class Cli : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(bus.isRunning()); }

    struct Result {
        int exitCode;
        QString out;
        QString err;
    };

    Result run(const QStringList &args)
    {
        QProcess cli;
        cli.setProcessEnvironment(bus.environment());
        cli.start(QStringLiteral(TETHRA_CLI_PATH), args);
        if (!cli.waitForFinished(30000))
            return {-1, {}, QStringLiteral("tethra-cli did not finish")};
        return {cli.exitCode(), QString::fromUtf8(cli.readAllStandardOutput()), QString::fromUtf8(cli.readAllStandardError())};
    }

    void startWatch()
    {
        watch.setProcessEnvironment(bus.environment());
        watch.start(QStringLiteral(TETHRA_CLI_PATH), {QStringLiteral("watch")});
        ASSERT_TRUE(waitUntil([&] { return watch.canReadLine(); })) << "watch never became ready";
        ASSERT_TRUE(watch.readLine().startsWith("watching /org/tethra/Tethra/Varnex/"));
    }

    void TearDown() override
    {
        watch.kill();
        watch.waitForFinished(5000);
    }

    PrivateBus bus;
    QProcess watch;
};

} // namespace

TEST_F(Cli, ValueSetByOneProcessIsReadByAnotherWhileWatched)
{
    startWatch();
    EXPECT_EQ(run({QStringLiteral("set"), QStringLiteral("Band"), QStringLiteral("5")}).exitCode, 0);
    const auto got = run({QStringLiteral("get"), QStringLiteral("Band")});
    EXPECT_EQ(got.exitCode, 0) << qPrintable(got.err);
    EXPECT_EQ(got.out, QStringLiteral("5\n"));
    const auto dump = run({QStringLiteral("dump")});
    EXPECT_TRUE(dump.out.startsWith(QStringLiteral("Freq = 0\nMode = 0\n"))) << qPrintable(dump.out);
    EXPECT_TRUE(dump.out.contains(QStringLiteral("\nBand = 5\n")));
    EXPECT_TRUE(dump.out.contains(QStringLiteral("\nCallSign = \"            \"\n")));
}

TEST_F(Cli, WatcherPrintsTheEventOfACommandWithATimestamp)
{
    startWatch();
    const auto called = run({QStringLiteral("call"), QStringLiteral("SetFreq"), QStringLiteral("14.074")});
    EXPECT_EQ(called.exitCode, 0) << qPrintable(called.err);
    QByteArray printed;
    EXPECT_TRUE(waitUntil([&] {
        printed += watch.readAllStandardOutput();
        return printed.contains("RaiseFreq\n");
    }));
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\\.\\d{3} RaiseFreq$"),
                                   QRegularExpression::MultilineOption)
                    .match(QString::fromUtf8(printed))
                    .hasMatch())
        << printed.constData();
    EXPECT_EQ(run({QStringLiteral("get"), QStringLiteral("NewFreq")}).out, QStringLiteral("14.074\n"));
}

TEST_F(Cli, MistakesGiveOneLineOnStderrAndAFailingExit)
{
    const QList<QStringList> mistakes = {
        {QStringLiteral("get"), QStringLiteral("Nonsense")},
        {QStringLiteral("set"), QStringLiteral("Band"), QStringLiteral("twenty")},
        {QStringLiteral("set"), QStringLiteral("Band"), QStringLiteral("99999999999")},
        {QStringLiteral("call"), QStringLiteral("SetRPT"), QStringLiteral("600")},
        {QStringLiteral("call"), QStringLiteral("Band")},
        {QStringLiteral("frobnicate")},
        {},
    };
    for (const QStringList &args : mistakes) {
        const auto result = run(args);
        EXPECT_NE(result.exitCode, 0) << qPrintable(args.join(QLatin1Char(' ')));
        EXPECT_EQ(result.err.count(QLatin1Char('\n')), 1) << qPrintable(result.err);
        EXPECT_TRUE(result.err.startsWith(QStringLiteral("tethra-cli: "))) << qPrintable(result.err);
    }
}

TEST_F(Cli, WithoutABusItSaysSo)
{
    QProcess cli;
    QProcessEnvironment env = bus.environment();
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QStringLiteral("unix:path=/nonexistent/bus"));
    cli.setProcessEnvironment(env);
    cli.start(QStringLiteral(TETHRA_CLI_PATH), {QStringLiteral("get"), QStringLiteral("Band")});
    ASSERT_TRUE(cli.waitForFinished(30000));
    EXPECT_NE(cli.exitCode(), 0);
    EXPECT_TRUE(cli.readAllStandardError().startsWith("tethra-cli: cannot connect to the session bus"));
}
