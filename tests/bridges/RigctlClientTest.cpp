// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The rigctld connection against a real dummy radio: answers, refusals, restarts.
#include "RigctlClient.h"
#include "RigctlReplyReader.h"
#include "RigctldProcess.h"
#include "Eventually.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <gtest/gtest.h>

#include <optional>

namespace {

class RigctlClientTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(rigctld.start()) << "rigctld did not start"; }

    RigctldProcess rigctld;
    RigctlClient client{QStringLiteral("127.0.0.1"), rigctld.port()};
};

} // namespace

TEST_F(RigctlClientTest, AnswersComeBackInTheOrderAsked)
{
    QSignalSpy connected(&client, &RigctlClient::connected);
    client.start();
    ASSERT_TRUE(connected.wait(10000));

    QStringList seen;
    client.send(QStringLiteral("F 7074000"), [&](const RigctlReply &r) { seen << QStringLiteral("F %1").arg(r.code); });
    client.send(QStringLiteral("f"), [&](const RigctlReply &r) { seen << r.value(QStringLiteral("Frequency")); });
    client.send(QStringLiteral("M CWR 0"), [&](const RigctlReply &r) { seen << QStringLiteral("M %1").arg(r.code); });
    client.send(QStringLiteral("m"), [&](const RigctlReply &r) { seen << r.value(QStringLiteral("Mode")); });
    ASSERT_EVENTUALLY_EQ(seen.size(), 4, 10000);
    EXPECT_EQ(seen, (QStringList{QStringLiteral("F 0"), QStringLiteral("7074000"), QStringLiteral("M 0"),
                                 QStringLiteral("CWR")}));
    EXPECT_EQ(client.pending(), 0);
}

TEST_F(RigctlClientTest, ARefusedCommandReportsHamlibsError)
{
    QSignalSpy connected(&client, &RigctlClient::connected);
    client.start();
    ASSERT_TRUE(connected.wait(10000));

    std::optional<RigctlReply> reply;
    client.send(QStringLiteral("V VFOZ"), [&](const RigctlReply &r) { reply = r; });
    ASSERT_EVENTUALLY(reply.has_value(), 10000);
    EXPECT_TRUE(reply->answered);
    EXPECT_FALSE(reply->ok());
    EXPECT_LT(reply->code, 0);
}

TEST_F(RigctlClientTest, ReconnectsWhenRigctldComesBackAndFailsRequestsMeanwhile)
{
    QSignalSpy connected(&client, &RigctlClient::connected);
    QSignalSpy disconnected(&client, &RigctlClient::disconnected);
    client.start();
    ASSERT_TRUE(connected.wait(10000));

    rigctld.stop();
    ASSERT_EVENTUALLY(!disconnected.isEmpty(), 10000);
    EXPECT_FALSE(client.isConnected());

    std::optional<RigctlReply> reply;
    client.send(QStringLiteral("f"), [&](const RigctlReply &r) { reply = r; });
    ASSERT_EVENTUALLY(reply.has_value(), 10000);
    EXPECT_FALSE(reply->answered);

    ASSERT_TRUE(rigctld.start());
    ASSERT_EVENTUALLY_EQ(connected.size(), 2, 15000);
    reply.reset();
    client.send(QStringLiteral("f"), [&](const RigctlReply &r) { reply = r; });
    ASSERT_EVENTUALLY(reply.has_value(), 10000);
    EXPECT_TRUE(reply->ok());
}

TEST_F(RigctlClientTest, RequestsInFlightFailWhenTheConnectionDrops)
{
    QSignalSpy connected(&client, &RigctlClient::connected);
    client.start();
    ASSERT_TRUE(connected.wait(10000));

    int answered = 0;
    int unanswered = 0;
    for (int i = 0; i < 50; ++i)
        client.send(QStringLiteral("f"), [&](const RigctlReply &r) { ++(r.answered ? answered : unanswered); });
    rigctld.stop();
    // Every handler runs exactly once, answered or not; none is lost with the socket.
    ASSERT_EVENTUALLY_EQ(answered + unanswered, 50, 10000);
    EXPECT_EQ(client.pending(), 0);
}

// A peer that answers the first command with lines that never end the answer, the next
// connection's with bytes that never end a line, and then behaves: each stream is cut off
// once past the bound of any real answer, and the client comes back.
TEST(RigctlClientAgainstAHostilePeer, EndlessAnswersDropTheConnectionAndItIsMadeAgain)
{
    QTcpServer peer;
    ASSERT_TRUE(peer.listen(QHostAddress::LocalHost));
    int connections = 0;
    QObject::connect(&peer, &QTcpServer::newConnection, [&] {
        QTcpSocket *socket = peer.nextPendingConnection();
        const int number = ++connections;
        QObject::connect(socket, &QTcpSocket::readyRead, socket, [socket, number] {
            while (socket->canReadLine()) {
                const QByteArray command = socket->readLine().trimmed().mid(1);
                if (number == 1)
                    socket->write(QByteArray("Frequency: 7074000\n").repeated(RigctlReplyReader::kMaxLines + 1));
                else if (number == 2)
                    socket->write(QByteArray(RigctlReplyReader::kMaxBytes + 1, 'x'));
                else
                    socket->write(command + ":\nFrequency: 7074000\nRPRT 0\n");
            }
        });
    });
    RigctlClient client(QStringLiteral("127.0.0.1"), peer.serverPort());
    QSignalSpy connected(&client, &RigctlClient::connected);
    QSignalSpy disconnected(&client, &RigctlClient::disconnected);
    client.start();

    QList<RigctlReply> replies;
    for (int attempt = 1; attempt <= 3; ++attempt) {
        ASSERT_EVENTUALLY_EQ(connected.size(), attempt, 10000);
        client.send(QStringLiteral("f"), [&](const RigctlReply &r) { replies << r; });
        ASSERT_EVENTUALLY_EQ(replies.size(), attempt, 10000);
    }
    EXPECT_FALSE(replies[0].answered);
    EXPECT_FALSE(replies[1].answered);
    EXPECT_TRUE(replies[2].ok());
    EXPECT_EQ(replies[2].value(QStringLiteral("Frequency")), QStringLiteral("7074000"));
    ASSERT_EQ(disconnected.size(), 2);
    EXPECT_TRUE(disconnected[0][0].toString().contains(QStringLiteral("more than")))
        << qPrintable(disconnected[0][0].toString());
}
