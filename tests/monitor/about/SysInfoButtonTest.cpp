// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "MemoryRegistry.h"
#include "frmAbout.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

const QByteArray ToolKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
const QByteArray FolderKey = "SOFTWARE\\Microsoft\\Shared Tools Location";
const QString Unavailable = QStringLiteral("System Information Is Unavailable At This Time");

// Each case gets an empty directory of its own as the whole PATH, so only the programs it
// puts there can be found.
class SysInfoButton : public ::testing::Test {
protected:
    void SetUp() override
    {
        QCoreApplication::setApplicationName(QStringLiteral("Tovana"));
        ASSERT_TRUE(pathDir.isValid());
        savedPath = qgetenv("PATH");
        qputenv("PATH", QFile::encodeName(pathDir.path()));
        mainWindow.hide();
    }

    void TearDown() override { qputenv("PATH", savedPath); }

    void putOnPath(const QString &name, const QByteArray &script = "#!/bin/sh\n", bool executable = true)
    {
        QFile file(pathDir.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(script);
        file.close();
        if (executable)
            file.setPermissions(file.permissions() | QFileDevice::ExeOwner);
    }

    SysInfoServices watchingServices()
    {
        return SysInfoServices{
            &registry,
            [this](const QString &path) {
                checkedFiles << path;
                return existingFiles.contains(path);
            },
            [this](const QString &program) {
                started << program;
                return startSucceeds;
            },
        };
    }

    // Opens a box the way the main window does and presses "System Info...".
    frmAbout *pressSysInfo(frmAbout *box)
    {
        box->show();
        auto *button = box->findChild<QPushButton *>(QStringLiteral("cmdSysInfo"));
        EXPECT_NE(button, nullptr);
        if (button)
            QTest::mouseClick(button, Qt::LeftButton);
        return box;
    }

    frmAbout *pressSysInfo() { return pressSysInfo(new frmAbout(&mainWindow, watchingServices())); }

    static QMessageBox *visibleMessage(QWidget *box)
    {
        for (QMessageBox *message : box->findChildren<QMessageBox *>())
            if (message->isVisible())
                return message;
        return nullptr;
    }

    QTemporaryDir pathDir;
    QByteArray savedPath;
    QWidget mainWindow;
    MemoryRegistry registry;
    QStringList existingFiles;
    QStringList checkedFiles;
    QStringList started;
    bool startSucceeds = true;
};

TEST_F(SysInfoButton, StartsThePathOfTheFirstRegistryValueAsItStands)
{
    registry.setString(Registry::LocalMachine, ToolKey, "PATH", "C:\\Nowhere\\MSINFO32.EXE");
    registry.setString(Registry::LocalMachine, FolderKey, "MSINFO", "C:\\Elsewhere");
    existingFiles << QStringLiteral("C:\\Elsewhere\\MSINFO32.EXE");
    putOnPath(QStringLiteral("hardinfo"));

    frmAbout *box = pressSysInfo();

    EXPECT_EQ(started, QStringList{QStringLiteral("C:\\Nowhere\\MSINFO32.EXE")});
    EXPECT_TRUE(checkedFiles.isEmpty()) << "the first path is started without an existence test";
    EXPECT_EQ(visibleMessage(box), nullptr);
    EXPECT_TRUE(box->isVisible()) << "the about box stays open";
    EXPECT_FALSE(mainWindow.isVisible());
}

TEST_F(SysInfoButton, ToolThatDoesNotStartShowsTheMessage)
{
    registry.setString(Registry::LocalMachine, ToolKey, "PATH", "C:\\Nowhere\\MSINFO32.EXE");
    startSucceeds = false;

    frmAbout *box = pressSysInfo();

    EXPECT_EQ(started, QStringList{QStringLiteral("C:\\Nowhere\\MSINFO32.EXE")});
    ASSERT_TRUE(QTest::qWaitFor([&] { return visibleMessage(box) != nullptr; }, 5000));
    EXPECT_EQ(visibleMessage(box)->text(), Unavailable);
}

TEST_F(SysInfoButton, FolderOfTheSecondRegistryValueGivesItsMsinfo32WhenThatFileExists)
{
    registry.setString(Registry::LocalMachine, FolderKey, "MSINFO",
                       "C:\\Program Files\\Common Files\\Microsoft Shared\\MSInfo");
    const QString tool = QStringLiteral("C:\\Program Files\\Common Files\\Microsoft Shared\\MSInfo\\MSINFO32.EXE");
    existingFiles << tool;

    frmAbout *box = pressSysInfo();

    EXPECT_EQ(checkedFiles, QStringList{tool});
    EXPECT_EQ(started, QStringList{tool});
    EXPECT_EQ(visibleMessage(box), nullptr);
}

TEST_F(SysInfoButton, FolderWithoutMsinfo32ShowsTheMessageAndStartsNothing)
{
    registry.setString(Registry::LocalMachine, FolderKey, "MSINFO", "C:\\Empty");
    putOnPath(QStringLiteral("hardinfo"));

    frmAbout *box = pressSysInfo();

    EXPECT_EQ(checkedFiles, QStringList{QStringLiteral("C:\\Empty\\MSINFO32.EXE")});
    EXPECT_TRUE(started.isEmpty());
    ASSERT_TRUE(QTest::qWaitFor([&] { return visibleMessage(box) != nullptr; }, 5000));
    EXPECT_EQ(visibleMessage(box)->text(), Unavailable);
}

TEST_F(SysInfoButton, FirstValueTooLongToReadCountsAsMissing)
{
    registry.setString(Registry::LocalMachine, ToolKey, "PATH", "C:\\" + QByteArray(1100, 'x'));
    registry.setString(Registry::LocalMachine, FolderKey, "MSINFO", "C:\\Tools");
    existingFiles << QStringLiteral("C:\\Tools\\MSINFO32.EXE");

    pressSysInfo();

    EXPECT_EQ(started, QStringList{QStringLiteral("C:\\Tools\\MSINFO32.EXE")});
}

TEST_F(SysInfoButton, UserWithoutAdministrativeRightsGetsTheToolStarted)
{
    MemoryRegistry standardUser(MemoryRegistry::User::Standard);
    standardUser.setString(Registry::LocalMachine, ToolKey, "PATH", "C:\\Tools\\MSINFO32.EXE");
    SysInfoServices services = watchingServices();
    services.registry = &standardUser;

    frmAbout *box = pressSysInfo(new frmAbout(&mainWindow, services));

    EXPECT_EQ(started, QStringList{QStringLiteral("C:\\Tools\\MSINFO32.EXE")});
    EXPECT_EQ(visibleMessage(box), nullptr);
}

TEST_F(SysInfoButton, WithoutRegistryEntriesTheFirstKnownToolOnPathStarts)
{
    putOnPath(QStringLiteral("gnome-system-monitor"));
    putOnPath(QStringLiteral("hardinfo"));
    putOnPath(QStringLiteral("hardinfo2"), "#!/bin/sh\n", false);

    frmAbout *box = pressSysInfo();

    EXPECT_EQ(started, QStringList{QDir(pathDir.path()).filePath(QStringLiteral("hardinfo"))});
    EXPECT_EQ(visibleMessage(box), nullptr);
}

TEST_F(SysInfoButton, NothingToStartShowsTheMessageWithTheProgramsTitleAndAnOkButton)
{
    frmAbout *box = pressSysInfo();

    EXPECT_TRUE(started.isEmpty());
    ASSERT_TRUE(QTest::qWaitFor([&] { return visibleMessage(box) != nullptr; }, 5000));
    QMessageBox *message = visibleMessage(box);
    EXPECT_EQ(message->text(), Unavailable);
    EXPECT_EQ(message->windowTitle(), QStringLiteral("Tovana"));
    EXPECT_EQ(message->standardButtons(), QMessageBox::StandardButtons(QMessageBox::Ok));

    // The click came back while the message is up: nothing waits inside it.
    message->button(QMessageBox::Ok)->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return visibleMessage(box) == nullptr; }, 5000));
    EXPECT_TRUE(box->isVisible());
}

TEST_F(SysInfoButton, OnThisMachineTheButtonRunsTheToolFoundOnPath)
{
    const QString marker = QDir(pathDir.path()).filePath(QStringLiteral("ran"));
    putOnPath(QStringLiteral("kinfocenter"), "#!/bin/sh\n: > \"" + QFile::encodeName(marker) + "\"\n");

    frmAbout *box = pressSysInfo(new frmAbout(&mainWindow));

    ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(marker); }, 10000));
    EXPECT_EQ(visibleMessage(box), nullptr);
}

TEST_F(SysInfoButton, OnThisMachineWithNoToolTheButtonShowsTheMessage)
{
    frmAbout *box = pressSysInfo(new frmAbout(&mainWindow));

    ASSERT_TRUE(QTest::qWaitFor([&] { return visibleMessage(box) != nullptr; }, 5000));
    EXPECT_EQ(visibleMessage(box)->text(), Unavailable);
}

} // namespace
