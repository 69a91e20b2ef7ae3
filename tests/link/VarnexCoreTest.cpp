// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The link state object and the connector registry in process: values, commands, event
// delivery with sinks that call back, connector counting and orphaned objects.
#include "Status.h"
#include "VarnexConnector.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using namespace tethra;

namespace {

struct RecordingSink : EventSink {
    std::vector<std::string> received;
    std::function<std::int32_t()> onRaise;
    std::int32_t raise(const catalogue::Event &event) override
    {
        received.emplace_back(event.name);
        return onRaise ? onRaise() : status::ok;
    }
};

// Hears changes too: "changed:Field" for each, in the order reported.
struct ChangeRecordingSink : RecordingSink {
    void changed(const Varnex &, std::span<const std::string_view> fields) override
    {
        for (std::string_view field : fields)
            received.push_back("changed:" + std::string(field));
    }
};

Value read(const Varnex &v, std::string_view field)
{
    Value out;
    EXPECT_EQ(v.get(field, out), status::ok) << field;
    return out;
}

// A value of the argument's type that differs from every default.
Value sample(catalogue::Type type, int seed)
{
    switch (type) {
    case catalogue::Type::Double: return 3.5 + seed;
    case catalogue::Type::String: return std::u16string(u"K") + static_cast<char16_t>(u'A' + seed);
    default: return std::int32_t{100 + seed};
    }
}

} // namespace

TEST(LinkObject, NewObjectHasTheInitialDefaults)
{
    Varnex v;
    EXPECT_EQ(read(v, "Freq"), Value(0.0));
    EXPECT_EQ(read(v, "Mode"), Value(std::int32_t{0}));
    EXPECT_EQ(read(v, "Band"), Value(std::int32_t{0}));
    EXPECT_EQ(read(v, "sData"), Value(std::u16string()));
    EXPECT_EQ(read(v, "Transceiver"), Value(std::u16string()));
    EXPECT_EQ(read(v, "CallSign"), Value(std::u16string(12, u' ')));
    EXPECT_EQ(read(v, "NewComment"), Value(std::u16string(30, u' ')));
}

TEST(LinkObject, FixedWidthTextIsCutOrFilled)
{
    Varnex v;
    EXPECT_EQ(v.set("CallSign", std::u16string(u"DL1ABC/P/QRPXY")), status::ok);
    EXPECT_EQ(read(v, "CallSign"), Value(std::u16string(u"DL1ABC/P/QRP")));
    EXPECT_EQ(v.set("NewCallSign", std::u16string(u"AB")), status::ok);
    EXPECT_EQ(read(v, "NewCallSign"), Value(std::u16string(u"AB          ")));
    EXPECT_EQ(v.set("Comment", std::u16string(40, u'x')), status::ok);
    EXPECT_EQ(read(v, "Comment"), Value(std::u16string(30, u'x')));
}

TEST(LinkObject, WrongNamesAndTypesAreRefusedAndChangeNothing)
{
    Varnex v;
    EXPECT_EQ(v.set("Band", 2.5), status::typeMismatch);
    EXPECT_EQ(v.set("Nonsense", std::int32_t{1}), status::unknownName);
    EXPECT_EQ(read(v, "Band"), Value(std::int32_t{0}));
    const Value tooFew[] = {std::int32_t{1}};
    EXPECT_EQ(v.call("SetRPT", tooFew), status::badParamCount);
    const Value wrong[] = {std::u16string(u"20m")};
    EXPECT_EQ(v.call("SetBand", wrong), status::typeMismatch);
    EXPECT_EQ(v.call("Band", {}), status::memberNotFound);
    EXPECT_EQ(read(v, "NewBand"), Value(std::int32_t{0}));
}

TEST(LinkObject, EveryCommandStoresItsArgumentsAndRaisesOnlyItsEvent)
{
    for (const catalogue::Member &m : catalogue::varnexMembers()) {
        if (m.kind != catalogue::Kind::Method)
            continue;
        Varnex v;
        RecordingSink sink;
        v.connect(&sink);
        std::vector<Value> args;
        for (std::size_t i = 0; i < m.arguments.size(); ++i)
            args.push_back(sample(m.arguments[i].type, static_cast<int>(i)));
        EXPECT_EQ(v.call(m.name, args), status::ok) << m.name;
        EXPECT_EQ(sink.received, std::vector<std::string>{std::string(m.event)}) << m.name;
        for (std::size_t i = 0; i < args.size(); ++i) {
            const auto *field = catalogue::findVarnexMember(m.arguments[i].field);
            const Value expected =
                field->textWidth == 0
                    ? args[i]
                    : Value(fixedWidth(std::get<std::u16string>(args[i]), static_cast<std::size_t>(field->textWidth)));
            EXPECT_EQ(read(v, m.arguments[i].field), expected) << m.name << " -> " << m.arguments[i].field;
        }
        // Nothing else changed.
        Varnex fresh;
        for (std::string_view f : catalogue::fieldOrder()) {
            bool written = false;
            for (const auto &a : m.arguments)
                written |= a.field == f;
            if (!written) {
                EXPECT_EQ(read(v, f), read(fresh, f)) << m.name << " touched " << f;
            }
        }
    }
}

TEST(LinkObject, SpotAndScrivoAndOutOfRangeBand)
{
    Varnex v;
    RecordingSink sink;
    v.connect(&sink);
    const Value spot[] = {14.074, std::u16string(u"EA8XYZ"), std::u16string(u"FT8")};
    EXPECT_EQ(v.call("SetSpot", spot), status::ok);
    EXPECT_EQ(sink.received, std::vector<std::string>{"RaiseSpot"});
    EXPECT_EQ(read(v, "NewFreq"), Value(14.074));
    EXPECT_EQ(read(v, "Freq"), Value(0.0));
    const Value one[] = {std::int32_t{1}};
    EXPECT_EQ(v.call("SetScrivo", one), status::ok);
    EXPECT_EQ(read(v, "Scrivo"), Value(std::int32_t{1}));
    const Value band[] = {std::int32_t{42}};
    EXPECT_EQ(v.call("SetBand", band), status::ok);
    EXPECT_EQ(read(v, "NewBand"), Value(std::int32_t{42}));
    EXPECT_EQ(read(v, "Band"), Value(std::int32_t{0}));
    sink.received.clear();
    EXPECT_EQ(v.set("NewFreq", 7.0), status::ok);
    EXPECT_TRUE(sink.received.empty()) << "a direct write notifies nobody";
}

TEST(EventDelivery, SinkCanCallBackIntoTheObjectDuringDelivery)
{
    auto v = std::make_shared<Varnex>();
    RecordingSink reader;
    RecordingSink late;
    Value seen;
    std::uint32_t readerCookie = v->connect(&reader);
    reader.onRaise = [&] {
        v->get("NewFreq", seen);
        v->set("Freq", std::get<double>(seen)); // the publisher acts on the request
        v->disconnect(readerCookie);            // and stops listening
        v->connect(&late);                      // someone joins mid-delivery
        return status::ok;
    };
    const Value freq[] = {21.2};
    EXPECT_EQ(v->call("SetFreq", freq), status::ok);
    EXPECT_EQ(seen, Value(21.2));
    EXPECT_EQ(read(*v, "Freq"), Value(21.2));
    EXPECT_TRUE(late.received.empty()) << "a sink connected during delivery waits for the next event";
    EXPECT_EQ(v->call("SetFreq", freq), status::ok);
    EXPECT_EQ(reader.received.size(), 1u);
    EXPECT_EQ(late.received.size(), 1u);
}

TEST(EventDelivery, OnlyRealChangesAreReportedAndACommandsComeBeforeItsEvent)
{
    Varnex v;
    ChangeRecordingSink sink;
    v.connect(&sink);
    EXPECT_EQ(v.set("Band", Value(std::int32_t{5})), status::ok);
    EXPECT_EQ(v.set("Band", Value(std::int32_t{5})), status::ok);
    EXPECT_EQ(v.set("CallSign", Value(std::u16string(12, u' '))), status::ok) << "the default, as stored";
    EXPECT_EQ(v.set("Freq", Value(-0.0)), status::ok) << "-0 differs from 0 in its bits";
    const Value spot[] = {0.0, std::u16string(u"G4ABC"), std::u16string(u"")};
    EXPECT_EQ(v.call("SetSpot", spot), status::ok) << "NewFreq stays 0, the comment stays blank";
    EXPECT_EQ(sink.received,
              (std::vector<std::string>{"changed:Band", "changed:Freq", "changed:NewCallSign", "RaiseSpot"}));
}

TEST(EventDelivery, FirstFailureIsReturnedAndOtherSinksStillHearTheEvent)
{
    Varnex v;
    RecordingSink failing, second, third;
    failing.onRaise = [] { return static_cast<std::int32_t>(0x80010108u); };
    second.onRaise = [] { return status::failed; };
    v.connect(&failing);
    v.connect(&second);
    v.connect(&third);
    const Value band[] = {std::int32_t{3}};
    EXPECT_EQ(v.call("SetBand", band), static_cast<std::int32_t>(0x80010108u));
    EXPECT_EQ(third.received.size(), 1u);
    EXPECT_EQ(read(v, "NewBand"), Value(std::int32_t{3})) << "the stored value stays";
}

TEST(EventDelivery, ObjectSurvivesASinkThatDropsTheLastReference)
{
    auto owner = std::make_shared<Varnex>();
    std::weak_ptr<Varnex> weak = owner;
    RecordingSink sink;
    bool aliveDuringDelivery = false;
    sink.onRaise = [&] {
        owner.reset();
        aliveDuringDelivery = !weak.expired();
        return status::ok;
    };
    Varnex *raw = owner.get();
    raw->connect(&sink);
    EXPECT_EQ(raw->call("SetOK", {}), status::ok);
    EXPECT_TRUE(aliveDuringDelivery);
    EXPECT_TRUE(weak.expired()) << "released once the command returned";
}

TEST(ConnectorRegistry, ConnectorsShareOneObjectUntilTheLastGoes)
{
    basTethra module;
    std::unique_ptr<VarnexConnector> a, b, c;
    ASSERT_EQ(VarnexConnector::create(module, a), status::ok);
    ASSERT_EQ(VarnexConnector::create(module, b), status::ok);
    ASSERT_EQ(VarnexConnector::create(module, c), status::ok);
    EXPECT_EQ(a->varnex(), c->varnex());
    EXPECT_EQ(a->varnex(), a->varnex());
    std::shared_ptr<Varnex> kept = a->varnex();
    kept->set("Band", std::int32_t{5});
    a.reset();
    b.reset();
    EXPECT_EQ(module.connectorCount(), 1);
    EXPECT_EQ(c->varnex(), kept);
    c.reset();
    EXPECT_EQ(module.connectorCount(), 0);
    EXPECT_EQ(module.sharedObject(), nullptr);

    // The kept object is orphaned: a new connector starts a fresh one.
    std::unique_ptr<VarnexConnector> next;
    ASSERT_EQ(VarnexConnector::create(module, next), status::ok);
    EXPECT_NE(next->varnex(), kept);
    EXPECT_EQ(read(*next->varnex(), "Band"), Value(std::int32_t{0}));
    EXPECT_EQ(read(*kept, "Band"), Value(std::int32_t{5}));
}

TEST(ConnectorRegistry, CountOverflowsBeyond32767AndKeepsItsCount)
{
    basTethra module;
    std::vector<std::unique_ptr<VarnexConnector>> connectors(32767);
    for (auto &c : connectors)
        ASSERT_EQ(VarnexConnector::create(module, c), status::ok);
    std::unique_ptr<VarnexConnector> extra;
    EXPECT_EQ(VarnexConnector::create(module, extra), status::overflow);
    EXPECT_EQ(extra, nullptr);
    EXPECT_EQ(module.connectorCount(), 32767);
    connectors.pop_back();
    EXPECT_EQ(VarnexConnector::create(module, extra), status::ok);
}
