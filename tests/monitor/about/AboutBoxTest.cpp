#include "frmAbout.h"

#include <QCoreApplication>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class AboutBox : public ::testing::Test
{
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
    QObject::connect(box, &QObject::destroyed, &mainWindow,
                     [&] { mainShownBeforeBoxWent = mainWindow.isVisible(); });
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
    QObject::connect(box, &QObject::destroyed, &mainWindow,
                     [&] { mainShownBeforeBoxWent = mainWindow.isVisible(); });

    box->close();

    EXPECT_TRUE(QTest::qWaitFor([&] { return box.isNull(); }, 5000));
    EXPECT_TRUE(mainShownBeforeBoxWent);
    EXPECT_TRUE(mainWindow.isVisible());
}

} // namespace
