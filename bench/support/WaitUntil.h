// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// Runs the event loop until a condition holds or the time is up, looking every millisecond:
// QTest::qWaitFor sleeps up to 10 ms between its looks, which would show in every figure.
#pragma once

#include <functional>

namespace bench {

bool waitUntil(const std::function<bool()> &done, int timeoutMs = 10000);
// The event loop for `ms`, on a precise timer.
void pause(int ms);

} // namespace bench
