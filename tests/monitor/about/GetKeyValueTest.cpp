// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "GetKeyValue.h"
#include "MemoryRegistry.h"

#include <gtest/gtest.h>

namespace {

const QByteArray Key = "SOFTWARE\\Example\\Tool";
const QString KeyName = QString::fromLatin1(Key);

class GetKeyValueOnMemoryRegistry : public ::testing::Test {
protected:
    bool read(const QString &valueName, QString &text)
    {
        return GetKeyValue(registry, Registry::LocalMachine, KeyName, valueName, text);
    }

    MemoryRegistry registry;
};

TEST_F(GetKeyValueOnMemoryRegistry, StringValuesReadAsTheirTextWithOrWithoutTrailingZero)
{
    registry.setString(Registry::LocalMachine, Key, "Terminated", "C:\\Tools\\msinfo32.exe");
    registry.setValue(Registry::LocalMachine, Key, "Unterminated", Registry::StringType, "abc");
    registry.setValue(Registry::LocalMachine, Key, "Empty", Registry::StringType, QByteArray(1, '\0'));

    QString text = QStringLiteral("stale");
    EXPECT_TRUE(read(QStringLiteral("Terminated"), text));
    EXPECT_EQ(text, QStringLiteral("C:\\Tools\\msinfo32.exe"));
    EXPECT_TRUE(read(QStringLiteral("Unterminated"), text));
    EXPECT_EQ(text, QStringLiteral("abc"));
    EXPECT_TRUE(read(QStringLiteral("Empty"), text));
    EXPECT_EQ(text, QString());
}

TEST_F(GetKeyValueOnMemoryRegistry, DwordValuesReadAsAmpersandHAndUpperCaseHex)
{
    const struct {
        quint32 value;
        const char *text;
    } cases[] = {{261, "&h105"}, {0, "&h0"}, {0xDEADBEEF, "&hDEADBEEF"}, {0x1000000, "&h1000000"}};
    for (const auto &c : cases) {
        registry.setDword(Registry::LocalMachine, Key, "Number", c.value);
        QString text;
        EXPECT_TRUE(read(QStringLiteral("Number"), text)) << c.value;
        EXPECT_EQ(text, QString::fromLatin1(c.text)) << c.value;
    }
}

TEST_F(GetKeyValueOnMemoryRegistry, OtherValueTypesAreReadButLeaveTheTextAsPassed)
{
    registry.setValue(Registry::LocalMachine, Key, "Blob", Registry::BinaryType, "\x01\x02\x03");
    registry.setValue(Registry::LocalMachine, Key, "Expand", Registry::ExpandStringType,
                      QByteArray("%SystemRoot%\\x.exe", 19));

    QString text = QStringLiteral("as passed");
    EXPECT_TRUE(read(QStringLiteral("Blob"), text));
    EXPECT_EQ(text, QStringLiteral("as passed"));
    EXPECT_TRUE(read(QStringLiteral("Expand"), text));
    EXPECT_EQ(text, QStringLiteral("as passed"));
}

TEST_F(GetKeyValueOnMemoryRegistry, MissingKeyOrValueGivesFalseAndEmptyText)
{
    registry.setString(Registry::LocalMachine, Key, "Present", "x");

    QString text = QStringLiteral("stale");
    EXPECT_FALSE(read(QStringLiteral("Absent"), text));
    EXPECT_EQ(text, QString());

    text = QStringLiteral("stale");
    EXPECT_FALSE(GetKeyValue(registry, Registry::LocalMachine, QStringLiteral("SOFTWARE\\Nothing"),
                             QStringLiteral("Present"), text));
    EXPECT_EQ(text, QString());

    text = QStringLiteral("stale");
    EXPECT_FALSE(GetKeyValue(registry, Registry::CurrentUser, KeyName, QStringLiteral("Present"), text))
        << "the same path under another root is another key";
    EXPECT_EQ(text, QString());
}

TEST_F(GetKeyValueOnMemoryRegistry, ValuesLongerThan1024CharactersCannotBeRead)
{
    registry.setString(Registry::LocalMachine, Key, "Fits", QByteArray(1023, 'a'));
    registry.setValue(Registry::LocalMachine, Key, "FitsUnterminated", Registry::StringType, QByteArray(1024, 'b'));
    registry.setString(Registry::LocalMachine, Key, "TooLong", QByteArray(1024, 'c'));
    registry.setString(Registry::LocalMachine, Key, "FarTooLong", QByteArray(5000, 'd'));

    QString text;
    EXPECT_TRUE(read(QStringLiteral("Fits"), text));
    EXPECT_EQ(text, QString(1023, QLatin1Char('a')));
    EXPECT_TRUE(read(QStringLiteral("FitsUnterminated"), text));
    EXPECT_EQ(text, QString(1024, QLatin1Char('b')));

    text = QStringLiteral("stale");
    EXPECT_FALSE(read(QStringLiteral("TooLong"), text));
    EXPECT_EQ(text, QString());
    EXPECT_FALSE(read(QStringLiteral("FarTooLong"), text));
    EXPECT_EQ(text, QString());
}

TEST_F(GetKeyValueOnMemoryRegistry, EveryOpenedKeyIsClosedAgain)
{
    registry.setString(Registry::LocalMachine, Key, "Present", "x");
    registry.setString(Registry::LocalMachine, Key, "TooLong", QByteArray(2000, 'c'));

    QString text;
    read(QStringLiteral("Present"), text);
    read(QStringLiteral("Absent"), text);
    read(QStringLiteral("TooLong"), text);
    EXPECT_EQ(registry.openKeyCount(), 0);
}

TEST(GetKeyValueForStandardUser, ReadsValuesTheUserMayNotChange)
{
    MemoryRegistry registry(MemoryRegistry::User::Standard);
    registry.setString(Registry::LocalMachine, Key, "PATH", "C:\\Tools\\msinfo32.exe");

    // The store does refuse such a user anything beyond reading ...
    Registry::Handle key = 0;
    EXPECT_EQ(registry.openKey(Registry::LocalMachine, Key, Registry::AllAccess, key), Registry::AccessDenied);
    EXPECT_EQ(registry.openKeyCount(), 0);

    // ... and the value is read all the same.
    QString text;
    EXPECT_TRUE(GetKeyValue(registry, Registry::LocalMachine, KeyName, QStringLiteral("PATH"), text));
    EXPECT_EQ(text, QStringLiteral("C:\\Tools\\msinfo32.exe"));
    EXPECT_EQ(registry.openKeyCount(), 0);
}

} // namespace
