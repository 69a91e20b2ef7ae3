// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The test program's message loop, run until what it waits for has happened: the adapters
// hand everything to their handlers from this loop, as they will in the monitor's window.
#pragma once

#include <windows.h>

#include <functional>

namespace wine_tests {

// Runs the loop until done() or limitMs have passed; returns done(). done() is asked after
// every batch of messages and at least every 50 ms.
bool pumpUntil(const std::function<bool()> &done, DWORD limitMs);
// Runs the loop for this long (to see that nothing more arrives).
void pumpFor(DWORD ms);

} // namespace wine_tests
