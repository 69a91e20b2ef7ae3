// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// Tovana.exe's main window: a view of the station and the controller of its clicks. It
// shows the station's state on the panel (gauges, relay lamps, bands, band following, TX,
// the board and its lamps) laid out from the panel's design in twips and scaled with the
// window and the screen's DPI, and hands every click to the station through the runner; it
// keeps no state of its own. Closing it saves every setting and ends the program. Messages
// come as boxes of their own thread, titled "Tovana", so the window never waits for them.
#pragma once

#include "Gauge.h"
#include "StationObserver.h"
#include "StationRunner.h"

#include <windows.h>

#include <array>
#include <memory>
#include <vector>

namespace tovana::win32::app {

class MainWindow : public station::StationObserver {
public:
    // subscribe: see StationRunner.
    explicit MainWindow(bool subscribe);
    ~MainWindow() override;

    // Makes and shows the window and runs the activation; false when it could not be made.
    bool create(HINSTANCE instance, int show);
    void stationChanged(station::StationChange change, int index) override;

private:
    struct Placed;
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    void createControls();
    void layOut();
    bool captionsFit(HFONT font, double scale) const;
    void command(int id);
    HWND control(int id) const { return GetDlgItem(m_window, id); }
    void show(int id, bool shown) const;

    void showMeter(int index);
    void showReadings();
    void showRelay(int relay);
    void showBands();
    void showFollowing();
    void showHold();
    void showBoard();
    void showLamps();
    void showWindowPlace();
    void rememberWindowPlace();
    void openHelp();
    void showAbout();
    void showSetup();
    HFONT dialogFont();
    void showTrips();
    void paintTripFrames();

    std::unique_ptr<StationRunner> m_runner;
    HWND m_window = nullptr;
    HINSTANCE m_instance = nullptr;
    HFONT m_font = nullptr;
    HFONT m_dialogFont = nullptr;
    std::vector<Placed> m_placed;
    bool m_closeDespiteFailedSave = false;
    static constexpr UINT kShowBandsMessage = WM_APP + 1;
    bool m_bandsPending = false; // a kShowBandsMessage is on its way
};

// Tells the operator, in a box of its own thread: the window goes on meanwhile.
void tellOperator(const std::string &text);

} // namespace tovana::win32::app
