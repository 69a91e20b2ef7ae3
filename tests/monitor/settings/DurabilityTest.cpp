// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// A save reaches the disk whole before it returns, and a crash never leaves a mix.
#include "SettingsStore.h"
#include "StoreFixture.h"

#include <QDir>
#include <QFile>
#include <QProcess>

using namespace tovana;
using namespace tovana::station;

namespace {

// Runs the crash writer in this config home and expects it to die by SIGKILL.
void runCrashWriter(const QString &configHome, const QString &mode, const QString &caption)
{
    QProcess writer;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_CONFIG_HOME", configHome);
    writer.setProcessEnvironment(env);
    writer.start(SETTINGS_CRASH_WRITER, {mode, caption});
    ASSERT_TRUE(writer.waitForFinished(30000)) << writer.errorString().toStdString();
    ASSERT_EQ(writer.exitStatus(), QProcess::CrashExit) << writer.readAllStandardError().toStdString();
}

void expectCaptions(const QMap<QString, QString> &keys, const QString &caption)
{
    for (int i = 0; i < kMeterCount; ++i)
        EXPECT_EQ(keys.value(QStringLiteral("Caption-Gauge%1").arg(i)), caption) << i;
}

} // namespace

TEST_F(StoreTest, SaveThatReturnedSurvivesTheProcessBeingKilled)
{
    runCrashWriter(home.path(), "save-then-die", "First");
    auto keys = home.readStore();
    EXPECT_EQ(keys.size(), 151);
    expectCaptions(keys, "First");

    runCrashWriter(home.path(), "save-then-die", "Second");
    keys = home.readStore();
    EXPECT_EQ(keys.size(), 151);
    expectCaptions(keys, "Second");
    EXPECT_EQ(keys.value("Meter-ComSettings"), "19200,n,8,1");
}

TEST_F(StoreTest, CrashInTheMiddleOfWritingLeavesTheWholeOldSet)
{
    runCrashWriter(home.path(), "save-then-die", "Old");
    const QByteArray before = home.storeBytes();

    runCrashWriter(home.path(), "die-mid-save", "New");

    EXPECT_EQ(home.storeBytes(), before);
    expectCaptions(home.readStore(), "Old");
}

TEST_F(StoreTest, LeftoverTemporaryFileDoesNotDisturbTheStore)
{
    seed();
    // What an interrupted replacement could leave beside the store: half a file.
    const QString leftover = home.storeFile() + ".aB3xYz";
    {
        QFile half(leftover);
        ASSERT_TRUE(half.open(QIODevice::WriteOnly));
        half.write("[StartUp]\nCaption-Gauge0=Half\nScaleMax-Gau");
    }
    SettingsStore store;
    Preferences p = GetPreferences(store, {});
    EXPECT_EQ(p.meters[0].caption, "Volts DC");
    EXPECT_EQ(p.meters[0].scaleMax, 5);

    p.meters[0].caption = "Whole";
    ASSERT_TRUE(SaveSettings(store, p));
    const auto keys = home.readStore();
    EXPECT_EQ(keys.size(), 151);
    EXPECT_EQ(keys.value("Caption-Gauge0"), "Whole");
    EXPECT_EQ(keys.value("ScaleMax-Gauge0"), "5");
}

TEST_F(StoreTest, RefusedWriteIsReportedAndLaterSucceedsWithNothingLost)
{
    // A folder where the file should be: the platform refuses to replace it.
    ASSERT_TRUE(QDir().mkpath(home.storeFile()));
    SettingsStore store;
    EXPECT_FALSE(RegInit(store, firstRunSeed()));
    EXPECT_TRUE(store.errorString().contains(home.storeFile())) << store.errorString().toStdString();

    ASSERT_TRUE(QDir(home.storeFile()).removeRecursively());
    EXPECT_TRUE(store.commit()) << store.errorString().toStdString();
    EXPECT_TRUE(store.errorString().isEmpty());
    EXPECT_EQ(home.readStore().size(), 143);
}
