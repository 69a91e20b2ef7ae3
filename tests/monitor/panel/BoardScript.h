// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The ADC board played by hand over a PtyBoard: the bytes the monitor sends are taken one
// by one in order, so a test waits for each query, answers it when it chooses, and sees
// relay commands fall between the queries.
#pragma once

#include "PtyBoard.h"

#include <QtTest/QTest>
#include <array>
#include <gtest/gtest.h>

class BoardScript {
public:
    static constexpr int kTimeoutMs = 10000;

    explicit BoardScript(PtyBoard &board) : m_board(board) {}

    // The next byte the monitor sends (waited for), or -1 when none comes.
    int next()
    {
        if (!QTest::qWaitFor([&] { return m_board.received().size() > m_taken; }, kTimeoutMs))
            return -1;
        return static_cast<unsigned char>(m_board.received().at(m_taken++));
    }

    // The next byte must be `expected`.
    ::testing::AssertionResult expect(int expected)
    {
        const int got = next();
        if (got == expected)
            return ::testing::AssertionSuccess();
        auto failure = ::testing::AssertionFailure() << "expected byte 0x" << std::hex << expected << ", got ";
        if (got < 0)
            failure << "nothing";
        else
            failure << "0x" << got;
        return failure << std::dec << " after " << m_taken << " bytes";
    }

    // The next bytes must be these.
    ::testing::AssertionResult expectBytes(const QByteArray &bytes)
    {
        for (char byte : bytes) {
            if (auto result = expect(static_cast<unsigned char>(byte)); !result)
                return result;
        }
        return ::testing::AssertionSuccess();
    }

    // The next byte must be `query`; `reply` goes back once it has come.
    ::testing::AssertionResult answer(int query, const QByteArray &reply)
    {
        auto result = expect(query);
        if (result)
            m_board.send(reply);
        return result;
    }

    // Answers the eight queries of one cycle (1..7, then 0) with these readings.
    ::testing::AssertionResult answerCycle(const std::array<int, 8> &readings)
    {
        for (int channel = 1; channel <= 8; ++channel) {
            auto result = answer(channel % 8, QByteArray(1, static_cast<char>(readings[channel - 1])));
            if (!result)
                return result << " (channel " << channel << ")";
        }
        return ::testing::AssertionSuccess();
    }

    // Sent by the monitor and not yet taken.
    QByteArray unread() const { return m_board.received().mid(m_taken); }

private:
    PtyBoard &m_board;
    qsizetype m_taken = 0;
};
