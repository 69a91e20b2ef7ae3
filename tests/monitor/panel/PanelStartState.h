// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// What the monitor sends whenever it opens its port, before the first query: each relay's
// byte as its lamp shows it (relays 1..12), then the band code of the band shown. Window
// tests take it off the board's bytes, so each can look at what follows.
#pragma once

#include "BandTable.h"
#include "PtyBoard.h"
#include "frmMonitor.h"

#include <QPushButton>
#include <QtTest/QTest>
#include <gtest/gtest.h>

inline QByteArray panelStartState(const tovana::frmMonitor &window)
{
    QByteArray bytes;
    for (int n = 1; n <= 12; ++n)
        bytes += char(!window.relayLamp(n)->isHidden() ? 0x1F + 2 * n : 0x1E + 2 * n);
    for (const tovana::station::BandPosition &band : tovana::station::bandTable()) {
        if (!window.bandIndicator(band.position)->isHidden())
            bytes += QByteArray::fromStdString(band.bytes);
    }
    return bytes;
}

// Waits for the start state and takes it off the board's bytes, with whatever an earlier
// window sent before it.
inline ::testing::AssertionResult takeStartState(PtyBoard &board, const tovana::frmMonitor &window)
{
    const QByteArray expected = panelStartState(window);
    if (!QTest::qWaitFor([&] { return board.received().contains(expected); }, 10000))
        return ::testing::AssertionFailure() << "the start state " << expected.toHex().constData()
                                             << " was not sent; the board got " << board.received().toHex().constData();
    board.dropReceived(board.received().indexOf(expected) + expected.size());
    return ::testing::AssertionSuccess();
}
