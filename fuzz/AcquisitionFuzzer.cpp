// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The acquisition cycle's protocol machine fed a board that answers anything: no reply, one,
// several, stray bytes, while the cycle is restarted (as a relay click does), its settle
// delay changes and its timers run out. Whatever comes in, it writes only channel queries,
// in order, never one without a reply taken up; completes cycles only with bytes the board
// sent; and never stops by itself.
// Input: a script of steps, each a byte choosing what the board or the user does next and
// the bytes that step needs.
#include "BoardProtocol.h"

#include <bitset>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

using namespace tovana::station;

namespace {

void fail(const char *what, int detail = 0)
{
    std::fprintf(stderr, "fuzz_acquisition: %s (%d)\n", what, detail);
    std::abort();
}

int channelOf(unsigned char query)
{
    return query == 0 ? kChannelCount : int(query);
}

// The line as the serial adapter keeps it: which timers run, what was sent.
struct Line {
    std::bitset<256> sent; // bytes the board has sent
    bool settleTimer = false;
    bool replyTimer = false;
    int lastChannel = 0;
    long queries = 0;
    long allowance = 0; // replies sent plus cycle starts

    void carryOut(const BoardProtocol::Result &result)
    {
        for (const LineAction &action : result.line) {
            switch (action.kind) {
            case LineAction::Kind::Write:
                for (const char c : action.bytes) {
                    const auto byte = static_cast<unsigned char>(c);
                    if (byte >= kChannelCount)
                        fail("the cycle sent a byte that is no channel query", byte);
                    const int channel = channelOf(byte);
                    if (channel != 1 && channel != lastChannel + 1)
                        fail("a query out of order, for channel", channel);
                    lastChannel = channel;
                    if (++queries > allowance)
                        fail("a query went out without a reply taken up", int(queries));
                }
                break;
            case LineAction::Kind::StartSettleTimer: settleTimer = true; break;
            case LineAction::Kind::StopSettleTimer: settleTimer = false; break;
            case LineAction::Kind::StartReplyTimer: replyTimer = true; break;
            case LineAction::Kind::StopReplyTimer: replyTimer = false; break;
            case LineAction::Kind::DiscardInput:
            case LineAction::Kind::SpinSettle: break;
            }
        }
        if (result.readings)
            for (const int reading : *result.readings)
                if (reading < 0 || reading > 255 || (reading != 0 && !sent.test(std::size_t(reading))))
                    fail("a reading the board never sent", reading);
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static constexpr int kSettle[] = {0, 20, 150, 1500};
    BoardProtocol protocol;
    Line line;
    line.allowance = 1;
    line.carryOut(protocol.restart());
    std::size_t i = 0;
    const auto next = [&]() -> std::uint8_t { return i < size ? data[i++] : 0; };
    const auto boardSends = [&](int count) {
        std::string bytes;
        for (int k = 0; k < count; ++k)
            bytes += char(next());
        for (const char c : bytes)
            line.sent.set(static_cast<unsigned char>(c));
        line.allowance += count;
        line.carryOut(protocol.bytesReceived(bytes));
    };
    for (int step = 0; i < size && step < 256; ++step) {
        switch (next() % 6) {
        case 0: boardSends(next() % 4); break;      // a reply of 0 to 3 bytes
        case 1: boardSends(4 + next() % 29); break; // stray bytes, a burst at once
        case 2:                                     // a relay click or a band change
            ++line.allowance;
            line.lastChannel = 0;
            line.carryOut(protocol.restart());
            break;
        case 3: protocol.setSettleDelay(kSettle[next() % 4]); break;
        case 4:
            if (line.settleTimer) {
                line.settleTimer = false;
                line.carryOut(protocol.settleElapsed());
            }
            break;
        case 5:
            if (line.replyTimer) {
                line.replyTimer = false;
                line.carryOut(protocol.replyTimeout());
            }
            break;
        }
        if (!protocol.isRunning())
            fail("the cycle stopped by itself");
    }
    return 0;
}
