// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "frmAbout.h"

#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class AboutBox : public ::testing::Test {
protected:
    void SetUp() override
    {
        QCoreApplication::setApplicationName(QStringLiteral("Tovana"));
        QCoreApplication::setApplicationVersion(QStringLiteral("1.1.0"));
        mainWindow.show();
        mainWindow.hide();
    }

    // Opens the box the way the main window does: hide, then show a new box.
    frmAbout *openBox()
    {
        mainWindow.hide();
        auto *box = new frmAbout(&mainWindow);
        box->show();
        return box;
    }

    QWidget mainWindow;
};

TEST_F(AboutBox, OkShowsTheMainWindowAgainAndDeletesTheBox)
{
    QPointer<frmAbout> box = openBox();
    bool mainShownBeforeBoxWent = false;
    QObject::connect(box, &QObject::destroyed, &mainWindow, [&] { mainShownBeforeBoxWent = mainWindow.isVisible(); });
    auto *ok = box->findChild<QPushButton *>(QStringLiteral("cmdOK"));
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->text(), QStringLiteral("OK"));

    QTest::mouseClick(ok, Qt::LeftButton);

    EXPECT_TRUE(QTest::qWaitFor([&] { return box.isNull(); }, 5000));
    EXPECT_TRUE(mainShownBeforeBoxWent);
    EXPECT_TRUE(mainWindow.isVisible());
}

TEST_F(AboutBox, ClosingTheWindowShowsTheMainWindowAgainAndDeletesTheBox)
{
    QPointer<frmAbout> box = openBox();
    bool mainShownBeforeBoxWent = false;
    QObject::connect(box, &QObject::destroyed, &mainWindow, [&] { mainShownBeforeBoxWent = mainWindow.isVisible(); });

    box->close();

    EXPECT_TRUE(QTest::qWaitFor([&] { return box.isNull(); }, 5000));
    EXPECT_TRUE(mainShownBeforeBoxWent);
    EXPECT_TRUE(mainWindow.isVisible());
}

TEST_F(AboutBox, CaptionsFollowTheProgramsOwnNameAndVersion)
{
    const struct {
        const char *name;
        const char *version;
        const char *shown;
    } cases[] = {
        {"Tovana", "1.1.0", "Version 1.1.0"},
        {"Tovana", "2.7.3.9", "Version 2.7.3"},
        {"Renamed", "3.2", "Version 3.2.0"},
    };
    for (const auto &c : cases) {
        QCoreApplication::setApplicationName(QString::fromLatin1(c.name));
        QCoreApplication::setApplicationVersion(QString::fromLatin1(c.version));
        frmAbout *box = openBox();
        const QString name = QString::fromLatin1(c.name);
        EXPECT_EQ(box->windowTitle(), QStringLiteral("About ") + name);
        EXPECT_EQ(box->findChild<QLabel *>(QStringLiteral("lblTitle"))->text(), name);
        EXPECT_EQ(box->findChild<QLabel *>(QStringLiteral("lblVersion"))->text(), QString::fromLatin1(c.shown))
            << c.version;
        delete box;
    }
}

TEST_F(AboutBox, ShowsItsIconDescriptionDisclaimerAndButtons)
{
    frmAbout *box = openBox();

    for (const char *name : {"lblDescription", "lblDisclaimer"}) {
        auto *label = box->findChild<QLabel *>(QString::fromLatin1(name));
        ASSERT_NE(label, nullptr) << name;
        EXPECT_FALSE(label->text().isEmpty()) << name;
        EXPECT_FALSE(label->text().contains(QLatin1Char('\n'))) << name << " is one line";
        EXPECT_TRUE(label->isVisible()) << name;
    }
    EXPECT_EQ(box->findChild<QPushButton *>(QStringLiteral("cmdSysInfo"))->text(), QStringLiteral("&System Info..."));

    auto *picIcon = box->findChild<QLabel *>(QStringLiteral("picIcon"));
    ASSERT_NE(picIcon, nullptr);
    const QImage icon = picIcon->pixmap().toImage();
    ASSERT_FALSE(icon.isNull());
    const QColor centre = icon.pixelColor(icon.width() / 2, icon.height() / 2);
    const QColor corner = icon.pixelColor(0, 0);
    EXPECT_EQ(centre.alpha(), 255) << "the gauge is painted over the middle";
    EXPECT_EQ(corner.alpha(), 0) << "and leaves the corners clear";
}

TEST_F(AboutBox, IsASeparateWindowThatLeavesTheHiddenMainWindowHidden)
{
    frmAbout *box = openBox();

    EXPECT_TRUE(QTest::qWaitForWindowExposed(box));
    EXPECT_TRUE(box->isWindow());
    EXPECT_FALSE(box->isModal());
    EXPECT_FALSE(mainWindow.isVisible());
}

} // namespace
