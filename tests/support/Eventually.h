// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// Waiting assertions for GoogleTest: they serve the event loop until the condition holds or
// the time runs out, then fail the test. (Qt's QTRY_* macros only log outside Qt Test, so a
// condition that never came true would pass silently.)
#pragma once

#include <QTest>
#include <gtest/gtest.h>

#define ASSERT_EVENTUALLY(condition, timeoutMs)                                                                        \
    ASSERT_TRUE(QTest::qWaitFor([&] { return static_cast<bool>(condition); }, timeoutMs))                              \
        << "still false after " << (timeoutMs) << " ms: " #condition

#define ASSERT_EVENTUALLY_EQ(actual, expected, timeoutMs)                                                              \
    do {                                                                                                               \
        (void)QTest::qWaitFor([&] { return (actual) == (expected); }, timeoutMs);                                      \
        ASSERT_EQ(actual, expected) << "after waiting " << (timeoutMs) << " ms";                                       \
    } while (false)
