// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "Pump.h"

namespace wine_tests {

bool pumpUntil(const std::function<bool()> &done, DWORD limitMs)
{
    const ULONGLONG end = GetTickCount64() + limitMs;
    while (!done()) {
        const ULONGLONG now = GetTickCount64();
        if (now >= end)
            return false;
        // Looks again at least every 50 ms, for what comes without a message (a file gone).
        const DWORD wait = static_cast<DWORD>(end - now < 50 ? end - now : 50);
        MsgWaitForMultipleObjectsEx(0, nullptr, wait, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    return true;
}

void pumpFor(DWORD ms)
{
    pumpUntil([] { return false; }, ms);
}

} // namespace wine_tests
