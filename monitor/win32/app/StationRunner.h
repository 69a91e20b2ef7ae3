// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The station with its Windows adapters, as Tovana.exe runs it: the registry store, the
// serial line on the station's COM port, the link to Tethra.exe. It runs the activation
// (seed, load, open the port), carries out every outcome of the station's rules (bytes on
// the line, the two cycle timers, the port closed, a full save), ticks every 200 ms (a
// waiting band code; Band and PTT read from the link while band following or the hold needs
// them) and hands what the operator is to be told to message(). UI thread only; nothing
// here waits for a device or a server.
#pragma once

#include "ComLink.h"
#include "RegistryStore.h"
#include "SerialLine.h"
#include "Station.h"
#include "StationObserver.h"

#include <windows.h>

#include <functional>
#include <string>

namespace tovana::win32::app {

class StationRunner : private station::StationObserver {
public:
    static constexpr UINT kTickMs = 200;
    static constexpr UINT kReopenMs = 2000;

    // subscribe: false leaves the server's change notification unused (the tick alone).
    StationRunner(std::function<void(const std::string &)> message, bool subscribe);
    ~StationRunner() override;
    StationRunner(const StationRunner &) = delete;
    StationRunner &operator=(const StationRunner &) = delete;

    station::Station &station() { return m_station; }
    // Called before each seeding and save, so the station holds the window's place.
    void setBeforeSave(std::function<void()> hook) { m_beforeSave = std::move(hook); }

    void activate();
    void perform(station::Outcome outcome);
    bool save();
    // Stores one meter's multiplier at once and has the station scale with it.
    bool saveMultiplier(int meter, double multiplier);

private:
    void stationChanged(station::StationChange change, int index) override;
    static LRESULT CALLBACK timerProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void timerElapsed(UINT_PTR id);
    void openPort(bool retry);
    void portLost(const std::string &reason);
    void tick();

    station::Station m_station;
    RegistryStore m_store;
    std::function<void(const std::string &)> m_message;
    std::function<void()> m_beforeSave;
    SerialLine m_line;
    ComLink m_link;
    HWND m_timers = nullptr;                        // a message-only window for the cycle's timers and the tick
    station::UnreadableLimits m_unreadableLimits{}; // left as written until set anew
    bool m_activated = false;
};

} // namespace tovana::win32::app
