// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The link server as its clients meet it: activated by a private bus from the build tree,
// called over D-Bus, shared between clients, announcing its changes, ending when nobody
// holds anything (unless started to stay).
#include "LinkTestClient.h"
#include "MemberCatalogue.h"
#include "PrivateBus.h"

#include <QDBusConnectionInterface>
#include <QDBusPendingCallWatcher>
#include <QProcess>
#include <QTest>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <signal.h>

namespace {

class LinkServer : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(bus.isRunning()) << "dbus-daemon did not start"; }

    LinkTestClient client(const QString &name) { return LinkTestClient(bus.connect(name)); }

    bool serverOnBus()
    {
        return bus.connect(QStringLiteral("observer"))
            .interface()
            ->isServiceRegistered(QStringLiteral("org.tethra.Tethra"));
    }

    PrivateBus bus;
};

QString errorOf(const QDBusMessage &reply)
{
    return reply.type() == QDBusMessage::ErrorMessage ? reply.errorName() + QLatin1Char(' ') + reply.errorMessage()
                                                      : QString();
}

QVariant sample(tethra::catalogue::Type type, int seed)
{
    switch (type) {
    case tethra::catalogue::Type::Double: return 7.25 + seed;
    case tethra::catalogue::Type::String: return QStringLiteral("DX%1").arg(seed);
    default: return 200 + seed;
    }
}

QString latin1(std::string_view s)
{
    return QString::fromLatin1(s.data(), qsizetype(s.size()));
}

} // namespace

TEST_F(LinkServer, FirstClientFindsTheObjectAtItsDefaults)
{
    auto a = client(QStringLiteral("a"));
    const QString object = a.connectShared();
    ASSERT_FALSE(object.isEmpty());
    EXPECT_EQ(a.get(object, QStringLiteral("Freq")), QVariant(0.0));
    EXPECT_EQ(a.get(object, QStringLiteral("Mode")), QVariant(0));
    EXPECT_EQ(a.get(object, QStringLiteral("Band")), QVariant(0));
    EXPECT_EQ(a.get(object, QStringLiteral("Transceiver")), QVariant(QString()));
    EXPECT_EQ(a.get(object, QStringLiteral("CallSign")), QVariant(QString(12, QLatin1Char(' '))));
    EXPECT_EQ(a.get(object, QStringLiteral("Comment")), QVariant(QString(30, QLatin1Char(' '))));
    const QDBusMessage all = a.call(object, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("GetAll"),
                                    {QStringLiteral("org.tethra.Tethra._Varnex")});
    ASSERT_EQ(errorOf(all), QString());
    QVariantMap values;
    all.arguments().at(0).value<QDBusArgument>() >> values;
    EXPECT_EQ(values.size(), 59);
}

TEST_F(LinkServer, FixedWidthTextsAreCutOrFilledThroughTheBus)
{
    auto a = client(QStringLiteral("a"));
    const QString object = a.connectShared();
    EXPECT_EQ(errorOf(a.set(object, QStringLiteral("CallSign"), QStringLiteral("PA3ABC/MM/QRPX"))), QString());
    EXPECT_EQ(a.get(object, QStringLiteral("CallSign")), QVariant(QStringLiteral("PA3ABC/MM/QR")));
    a.set(object, QStringLiteral("NewComment"), QStringLiteral("hi"));
    EXPECT_EQ(a.get(object, QStringLiteral("NewComment")),
              QVariant(QStringLiteral("hi") + QString(28, QLatin1Char(' '))));
    a.command(object, QStringLiteral("SetCallSign"), {QStringLiteral("G4")});
    EXPECT_EQ(a.get(object, QStringLiteral("NewCallSign")),
              QVariant(QStringLiteral("G4") + QString(10, QLatin1Char(' '))));
}

TEST_F(LinkServer, TextsComeBackInEveryCharacterTheBusCarries)
{
    auto a = client(QStringLiteral("a"));
    const QString object = a.connectShared();
    // Every Unicode scalar value a D-Bus string can hold (all but U+0000 and the
    // surrogates), and a text that starts with a byte-swapped byte-order mark.
    QString every;
    for (char32_t c = 1; c <= 0x10FFFF; ++c)
        if (c < 0xD800 || c > 0xDFFF)
            every += QString::fromUcs4(&c, 1);
    for (const QString &text : {QStringLiteral(u"\uFFFERadio-1"), every}) {
        EXPECT_EQ(errorOf(a.set(object, QStringLiteral("sData"), text)), QString());
        EXPECT_EQ(a.get(object, QStringLiteral("sData")), QVariant(text)) << "text of " << text.size() << " units";
        a.command(object, QStringLiteral("SetData"), {1, 2, 3.5, text});
        EXPECT_EQ(a.get(object, QStringLiteral("NewsData")), QVariant(text));
    }
    a.set(object, QStringLiteral("CallSign"), QStringLiteral(u"\uFFFEPA3ABC"));
    EXPECT_EQ(a.get(object, QStringLiteral("CallSign")), QVariant(QStringLiteral(u"\uFFFEPA3ABC     ")));

    // A leading U+FEFF, which Qt's D-Bus library would drop on the way in (and drops again
    // in this Qt client's reading, so the bytes are read with libdbus). A fixed-width field
    // that cuts a character beyond U+FFFF in two keeps its first half, which no UTF-8 can
    // carry: it reads as U+FFFD.
    const QString bom = QStringLiteral(u"\uFEFFRadio-1");
    a.set(object, QStringLiteral("sData"), bom);
    EXPECT_EQ(rawStringProperty(bus.address(), object, QStringLiteral("sData")), bom.toUtf8());
    a.command(object, QStringLiteral("SetSpot"), {7.0, QStringLiteral(u"\uFEFF"), bom});
    EXPECT_EQ(rawStringProperty(bus.address(), object, QStringLiteral("NewCallSign")),
              (QStringLiteral(u"\uFEFF") + QString(11, QLatin1Char(' '))).toUtf8());
    EXPECT_EQ(rawStringProperty(bus.address(), object, QStringLiteral("NewComment")),
              (bom + QString(22, QLatin1Char(' '))).toUtf8());
    a.set(object, QStringLiteral("CallSign"), QStringLiteral(u"PA3ABC/QRP/\U0001F4FB"));
    EXPECT_EQ(rawStringProperty(bus.address(), object, QStringLiteral("CallSign")),
              QByteArray("PA3ABC/QRP/\xEF\xBF\xBD"));
}

TEST_F(LinkServer, EveryCommandStoresItsArgumentsAndSignalsItsEventBeforeReplying)
{
    auto a = client(QStringLiteral("a"));
    const QString object = a.connectShared();
    EventRecorder recorder(a.connection(), object);
    for (const auto &m : tethra::catalogue::varnexMembers()) {
        if (m.kind != tethra::catalogue::Kind::Method)
            continue;
        recorder.events.clear();
        QVariantList args;
        for (std::size_t i = 0; i < m.arguments.size(); ++i)
            args << sample(m.arguments[i].type, int(i));
        ASSERT_EQ(errorOf(a.command(object, latin1(m.name), args)), QString()) << m.name;
        ASSERT_TRUE(waitUntil([&] { return !recorder.events.isEmpty(); })) << m.name << " raised nothing";
        EXPECT_EQ(recorder.events, QStringList{latin1(m.event)}) << m.name;
        for (std::size_t i = 0; i < m.arguments.size(); ++i) {
            QVariant stored = a.get(object, latin1(m.arguments[i].field));
            if (stored.metaType().id() == QMetaType::QString)
                stored = stored.toString().trimmed();
            EXPECT_EQ(stored, args[qsizetype(i)]) << m.name << " -> " << m.arguments[i].field;
        }
    }
}

TEST_F(LinkServer, SpotScrivoAndBandBehaveAsPublished)
{
    auto a = client(QStringLiteral("a"));
    const QString object = a.connectShared();
    EventRecorder recorder(a.connection(), object);
    a.command(object, QStringLiteral("SetSpot"), {14.074, QStringLiteral("JA1XYZ"), QStringLiteral("CQ")});
    a.command(object, QStringLiteral("SetScrivo"), {1});
    a.command(object, QStringLiteral("SetBand"), {42});
    a.set(object, QStringLiteral("NewFreq"), 3.5); // a direct write raises nothing
    a.command(object, QStringLiteral("SetOK"));
    ASSERT_TRUE(waitUntil([&] { return recorder.events.size() >= 4; }));
    EXPECT_EQ(recorder.events, (QStringList{QStringLiteral("RaiseSpot"), QStringLiteral("RaiseScrivo"),
                                            QStringLiteral("RaiseBand"), QStringLiteral("OK")}));
    EXPECT_EQ(a.get(object, QStringLiteral("Scrivo")), QVariant(1));
    EXPECT_EQ(a.get(object, QStringLiteral("NewBand")), QVariant(42));
    EXPECT_EQ(a.get(object, QStringLiteral("Band")), QVariant(0));
    EXPECT_EQ(a.get(object, QStringLiteral("NewFreq")), QVariant(3.5));
    EXPECT_EQ(a.get(object, QStringLiteral("NewCallSign")), QVariant(QStringLiteral("JA1XYZ      ")));
}

TEST_F(LinkServer, TwoClientsShareOneObjectWithItsValuesAndEvents)
{
    auto varnak = client(QStringLiteral("varnak"));
    auto logger = client(QStringLiteral("logger"));
    const QString first = varnak.connectShared();
    const QString second = logger.connectShared();
    ASSERT_FALSE(first.isEmpty());
    EXPECT_EQ(first, second);
    EventRecorder heard(logger.connection(), second);
    varnak.set(first, QStringLiteral("Band"), 5);
    EXPECT_EQ(logger.get(second, QStringLiteral("Band")), QVariant(5));
    varnak.command(first, QStringLiteral("SetFreq"), {7.074});
    ASSERT_TRUE(waitUntil([&] { return heard.events.contains(QStringLiteral("RaiseFreq")); }));
    EXPECT_EQ(logger.get(second, QStringLiteral("NewFreq")), QVariant(7.074));
}

TEST_F(LinkServer, ReleasingTwoOfThreeConnectorsKeepsTheObject)
{
    auto a = client(QStringLiteral("a"));
    const QString c1 = a.createConnector(), c2 = a.createConnector(), c3 = a.createConnector();
    ASSERT_FALSE(c3.isEmpty());
    EXPECT_NE(c1, c2);
    const QString object = a.varnexOf(c1);
    EXPECT_EQ(a.varnexOf(c1), object) << "reading Varnex twice gives the same object";
    a.set(object, QStringLiteral("Memory"), 17);
    EXPECT_EQ(errorOf(a.release(c1)), QString());
    EXPECT_EQ(errorOf(a.release(c2)), QString());
    EXPECT_NE(errorOf(a.release(c2)), QString()) << "a released connector is gone";
    EXPECT_EQ(a.varnexOf(c3), object);
    EXPECT_EQ(a.get(object, QStringLiteral("Memory")), QVariant(17));
}

TEST_F(LinkServer, ObjectKeptAfterTheLastConnectorIsOrphaned)
{
    auto old = client(QStringLiteral("old"));
    auto late = client(QStringLiteral("late"));
    const QString connector = old.createConnector();
    const QString orphan = old.varnexOf(connector);
    old.set(orphan, QStringLiteral("Band"), 7);
    ASSERT_EQ(errorOf(old.release(connector)), QString());

    const QString fresh = late.connectShared();
    ASSERT_FALSE(fresh.isEmpty());
    EXPECT_NE(fresh, orphan);
    EXPECT_EQ(late.get(fresh, QStringLiteral("Band")), QVariant(0));
    late.set(fresh, QStringLiteral("Band"), 3);
    EXPECT_EQ(old.get(orphan, QStringLiteral("Band")), QVariant(7));
}

TEST_F(LinkServer, ServerEndsOnceEveryClientReleasedOrLeft)
{
    auto a = client(QStringLiteral("a"));
    const QString connector = a.createConnector();
    const QString object = a.varnexOf(connector);
    ASSERT_FALSE(object.isEmpty());

    QProcess watcher;
    watcher.setProcessEnvironment(bus.environment());
    watcher.start(QStringLiteral(TETHRA_CLI_PATH), {QStringLiteral("watch")});
    ASSERT_TRUE(waitUntil([&] { return watcher.canReadLine(); })) << "tethra-cli watch did not start";

    a.release(connector);
    a.release(object);
    QTest::qWait(1000);
    EXPECT_TRUE(serverOnBus()) << "the watching client still holds the object";
    ::kill(qint64(watcher.processId()), SIGKILL);
    watcher.waitForFinished(10000);
    EXPECT_TRUE(waitUntil([&] { return !serverOnBus(); })) << "the server outlived its last client";
}

TEST_F(LinkServer, OneClientCannotTakeEveryConnector)
{
    auto greedy = client(QStringLiteral("greedy"));
    for (int i = 0; i < 1024; ++i)
        ASSERT_FALSE(greedy.createConnector().isEmpty()) << "connector " << i + 1;
    const QString refused = errorOf(greedy.createObject(connectorClsid));
    EXPECT_TRUE(refused.startsWith(QStringLiteral("org.tethra.Tethra.Error 0x800A0006 Overflow")))
        << qPrintable(refused);
    auto other = client(QStringLiteral("other"));
    EXPECT_FALSE(other.connectShared().isEmpty()) << "another client still gets one";
}

// A bus that installs few match rules for one connection: the server watches every client
// with one rule, so no number of clients leaves holds behind it.
TEST(LinkServerOnATightBus, ClientsBeyondTheBussMatchRuleLimitAreStillWatched)
{
    PrivateBus bus({{QStringLiteral("max_match_rules_per_connection"), 8}});
    ASSERT_TRUE(bus.isRunning());
    QStringList clients;
    for (int i = 0; i < 40; ++i) {
        LinkTestClient client(bus.connect(QStringLiteral("client%1").arg(i)));
        ASSERT_FALSE(client.connectShared().isEmpty()) << "client " << i;
        clients << client.connection().name();
    }
    for (const QString &name : std::as_const(clients))
        QDBusConnection::disconnectFromBus(name);
    EXPECT_TRUE(waitUntil([&] {
        return !bus.connect(QStringLiteral("observer"))
                    .interface()
                    ->isServiceRegistered(QStringLiteral("org.tethra.Tethra"));
    })) << "holds of clients that left were kept";
}

TEST(LinkServerOnATightBus, ABusThatRefusesTheWatchGetsNoHoldsHandedOut)
{
    PrivateBus bus({{QStringLiteral("max_match_rules_per_connection"), 0}});
    ASSERT_TRUE(bus.isRunning());
    LinkTestClient a(bus.connect(QStringLiteral("a")));
    const QString refused = errorOf(a.createObject(connectorClsid));
    EXPECT_TRUE(refused.startsWith(QStringLiteral("org.tethra.Tethra.Error 0x80004005"))) << qPrintable(refused);
    EXPECT_TRUE(refused.contains(QStringLiteral("watch"))) << qPrintable(refused);
}

TEST_F(LinkServer, OnlyTheConnectorClassCanBeCreated)
{
    auto a = client(QStringLiteral("a"));
    const QDBusMessage direct = a.createObject(QStringLiteral("{AD389A90-FD1A-11D1-9FFC-8703DD3BB166}"));
    EXPECT_TRUE(errorOf(direct).startsWith(QStringLiteral("org.tethra.Tethra.Error 0x80040154")))
        << qPrintable(errorOf(direct));
    EXPECT_NE(errorOf(a.createObject(QStringLiteral("nonsense"))), QString());
    EXPECT_EQ(errorOf(a.createObject(connectorClsid.toLower())), QString());
}

TEST_F(LinkServer, BadCallsAreAnsweredWithErrorsAndChangeNothing)
{
    auto a = client(QStringLiteral("a"));
    const QString object = a.connectShared();
    const auto error = [](const QDBusMessage &reply) { return reply.errorMessage().left(10); };
    EXPECT_EQ(error(a.set(object, QStringLiteral("Band"), QStringLiteral("twenty"))), QStringLiteral("0x80020005"));
    EXPECT_EQ(error(a.set(object, QStringLiteral("Band"), qlonglong(1) << 40)), QStringLiteral("0x800A0006"));
    EXPECT_EQ(error(a.set(object, QStringLiteral("Band"), true)), QStringLiteral("0x80020005"));
    EXPECT_EQ(error(a.set(object, QStringLiteral("NoSuch"), 1)), QStringLiteral("0x80020006"));
    EXPECT_EQ(error(a.command(object, QStringLiteral("SetFreq"), {QStringLiteral("14.0")})),
              QStringLiteral("0x80020005"));
    EXPECT_EQ(error(a.command(object, QStringLiteral("SetRPT"), {600})), QStringLiteral("0x8002000E"));
    EXPECT_EQ(error(a.command(object, QStringLiteral("Explode"))), QStringLiteral("0x80020003"));
    EXPECT_EQ(a.get(object, QStringLiteral("Band")), QVariant(0));
    EXPECT_NE(errorOf(a.call(QStringLiteral("/org/tethra/Tethra/Varnex/999"),
                             QStringLiteral("org.tethra.Tethra._Varnex"), QStringLiteral("SetOK"))),
              QString());

    // Values are stored unchecked: negative and extreme numbers, a megabyte of text.
    EXPECT_EQ(errorOf(a.set(object, QStringLiteral("Band"), -5)), QString());
    EXPECT_EQ(a.get(object, QStringLiteral("Band")), QVariant(-5));
    EXPECT_EQ(errorOf(a.set(object, QStringLiteral("Freq"), 1e308)), QString());
    EXPECT_EQ(a.get(object, QStringLiteral("Freq")), QVariant(1e308));
    const QString megabyte(1 << 20, QLatin1Char('x'));
    EXPECT_EQ(errorOf(a.set(object, QStringLiteral("sData"), megabyte)), QString());
    EXPECT_EQ(a.get(object, QStringLiteral("sData")).toString().size(), megabyte.size());
    EXPECT_EQ(errorOf(a.command(object, QStringLiteral("SetCallSign"), {megabyte})), QString());
    EXPECT_EQ(a.get(object, QStringLiteral("NewCallSign")), QVariant(QString(12, QLatin1Char('x'))));
}

TEST_F(LinkServer, ClientsCannotReleaseWhatTheyDoNotHold)
{
    auto a = client(QStringLiteral("a"));
    auto b = client(QStringLiteral("b"));
    const QString connector = a.createConnector();
    const QString object = a.varnexOf(connector);
    EXPECT_NE(errorOf(b.release(connector)), QString());
    EXPECT_NE(errorOf(b.release(object)), QString());
    EXPECT_EQ(errorOf(a.release(object)), QString());
    EXPECT_NE(errorOf(a.release(object)), QString()) << "released twice";
}

TEST_F(LinkServer, IntrospectionPublishesTheCatalogue)
{
    auto a = client(QStringLiteral("a"));
    const QString object = a.connectShared();
    const QDBusMessage reply =
        a.call(object, QStringLiteral("org.freedesktop.DBus.Introspectable"), QStringLiteral("Introspect"));
    ASSERT_EQ(errorOf(reply), QString());
    QXmlStreamReader xml(reply.arguments().at(0).toString());
    QString member;
    QMap<QString, QMap<QString, QString>> annotations; // member -> name -> value
    int properties = 0, methods = 0, signalCount = 0, enumerations = 0;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const auto name = xml.name();
        const QString attribute = xml.attributes().value(QLatin1String("name")).toString();
        if (name == QLatin1String("interface"))
            member.clear();
        else if (name == QLatin1String("property") || name == QLatin1String("method") ||
                 name == QLatin1String("signal")) {
            member = attribute;
            properties += name == QLatin1String("property");
            methods += name == QLatin1String("method");
            signalCount += name == QLatin1String("signal");
        } else if (name == QLatin1String("annotation")) {
            annotations[member][attribute] = xml.attributes().value(QLatin1String("value")).toString();
            enumerations += attribute.startsWith(QLatin1String("org.tethra.Enumeration."));
        }
    }
    ASSERT_FALSE(xml.hasError()) << qPrintable(xml.errorString());
    EXPECT_EQ(properties, 59);
    EXPECT_EQ(methods, 31 + 1 + 4) << "commands, Release, and the standard methods";
    EXPECT_EQ(signalCount, 31 + 1) << "events, and PropertiesChanged";
    EXPECT_EQ(enumerations, 16);
    EXPECT_EQ(annotations[QStringLiteral("Band")][QStringLiteral("org.tethra.DispId")], QStringLiteral("0x680300BD"));
    EXPECT_EQ(annotations[QStringLiteral("Band")][QStringLiteral("org.tethra.VtableOffset")],
              QStringLiteral("let 696, get 700"));
    EXPECT_EQ(annotations[QStringLiteral("SetFilter")][QStringLiteral("org.tethra.HelpString")],
              QStringLiteral("Set new Filter  (0:2400 1:2000 2:500 3:250 4:6000)"));
    EXPECT_EQ(annotations[QStringLiteral("SetTuner")][QStringLiteral("org.tethra.HelpString")],
              QStringLiteral("Set new Tuner state\r\n0 = OFF\r\n1 = ON\r\n2 = Start"));
    EXPECT_EQ(annotations[QStringLiteral("RaiseDual")][QStringLiteral("org.tethra.DispId")], QStringLiteral("31"));
    EXPECT_TRUE(
        annotations[QString()][QStringLiteral("org.tethra.Enumeration.tetCAT")].contains(QStringLiteral("trtCATOn=1")));
    EXPECT_EQ(annotations[QString()][QStringLiteral("org.freedesktop.DBus.Property.EmitsChangedSignal")],
              QStringLiteral("true"));
}

TEST_F(LinkServer, SecondServerRefusesToStartWhileTheNameIsOwned)
{
    auto a = client(QStringLiteral("a"));
    ASSERT_FALSE(a.connectShared().isEmpty());
    QProcess second;
    second.setProcessEnvironment(bus.environment());
    second.start(QStringLiteral(TETHRA_PATH));
    ASSERT_TRUE(second.waitForFinished(30000));
    EXPECT_NE(second.exitCode(), 0);
    EXPECT_TRUE(second.readAllStandardError().contains("already owned"));
}

TEST_F(LinkServer, AStoredChangeReachesOtherClientsWithTheValueAsStoredAndOnlyOnce)
{
    auto a = client(QStringLiteral("a"));
    const QString object = a.connectShared();
    EventRecorder heard(a.connection(), object);
    const auto cli = [&](const QStringList &args) {
        return runProgram(QStringLiteral(TETHRA_CLI_PATH), args, bus.environment()).exitCode;
    };
    ASSERT_EQ(cli({QStringLiteral("set"), QStringLiteral("Band"), QStringLiteral("5")}), 0);
    ASSERT_EQ(cli({QStringLiteral("set"), QStringLiteral("Band"), QStringLiteral("5")}), 0);
    ASSERT_EQ(cli({QStringLiteral("set"), QStringLiteral("CallSign"), QStringLiteral("G4ABC")}), 0);
    ASSERT_EQ(cli({QStringLiteral("set"), QStringLiteral("CallSign"), QStringLiteral("G4ABC       ")}), 0);
    ASSERT_EQ(cli({QStringLiteral("set"), QStringLiteral("Freq"), QStringLiteral("-0")}), 0);
    ASSERT_TRUE(waitUntil([&] { return heard.changes.size() >= 3; }));
    EXPECT_EQ(heard.changes, (QList<QVariantMap>{{{QStringLiteral("Band"), 5}},
                                                 {{QStringLiteral("CallSign"), QStringLiteral("G4ABC       ")}},
                                                 {{QStringLiteral("Freq"), -0.0}}}))
        << "the same value again, as stored, changes nothing";
    EXPECT_TRUE(heard.events.isEmpty()) << "a write raises no event";
}

TEST_F(LinkServer, ACommandStoresThenAnnouncesTheChangeThenRaisesItsEventThenReplies)
{
    auto a = client(QStringLiteral("a"));
    const QString object = a.connectShared();
    EventRecorder heard(a.connection(), object);
    const QString longComment(40, QLatin1Char('c'));
    const auto spot = [&] {
        QDBusMessage call =
            QDBusMessage::createMethodCall(QStringLiteral("org.tethra.Tethra"), object,
                                           QStringLiteral("org.tethra.Tethra._Varnex"), QStringLiteral("SetSpot"));
        call.setArguments({14.074, QStringLiteral("JA1XYZ"), longComment});
        auto *reply = new QDBusPendingCallWatcher(a.connection().asyncCall(call));
        QObject::connect(reply, &QDBusPendingCallWatcher::finished, [&heard, reply] {
            // What a client that sees the event reads is what the change announced.
            heard.order << QStringLiteral("reply");
            reply->deleteLater();
        });
    };
    spot();
    ASSERT_TRUE(waitUntil([&] { return heard.order.contains(QStringLiteral("reply")); }));
    EXPECT_EQ(heard.order,
              (QStringList{QStringLiteral("changed"), QStringLiteral("RaiseSpot"), QStringLiteral("reply")}));
    ASSERT_EQ(heard.changes.size(), 1);
    EXPECT_EQ(heard.changes[0], (QVariantMap{{QStringLiteral("NewFreq"), 14.074},
                                             {QStringLiteral("NewCallSign"), QStringLiteral("JA1XYZ      ")},
                                             {QStringLiteral("NewComment"), QString(30, QLatin1Char('c'))}}));
    EXPECT_EQ(a.get(object, QStringLiteral("NewComment")), QVariant(QString(30, QLatin1Char('c'))));

    heard.order.clear();
    spot();
    ASSERT_TRUE(waitUntil([&] { return heard.order.contains(QStringLiteral("reply")); }));
    EXPECT_EQ(heard.order, (QStringList{QStringLiteral("RaiseSpot"), QStringLiteral("reply")})) << "nothing changed";
}

TEST_F(LinkServer, AServerStartedToStayKeepsTheStateBetweenOneShotClients)
{
    QProcess server;
    server.setProcessEnvironment(bus.environment());
    server.start(QStringLiteral(TETHRA_PATH), {QStringLiteral("--stay")});
    ASSERT_TRUE(waitUntil([&] { return serverOnBus(); }));
    const auto cli = [&](const QStringList &args) {
        return runProgram(QStringLiteral(TETHRA_CLI_PATH), args, bus.environment());
    };
    ASSERT_EQ(cli({QStringLiteral("set"), QStringLiteral("Band"), QStringLiteral("7")}).exitCode, 0);
    QTest::qWait(1000); // well past the linger of a server without clients
    EXPECT_EQ(server.state(), QProcess::Running);
    EXPECT_EQ(cli({QStringLiteral("get"), QStringLiteral("Band")}).out, QStringLiteral("7\n"));
    server.terminate();
    server.waitForFinished(10000);
}
