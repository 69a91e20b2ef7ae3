// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The setup dialog's window behind showSetupDialog(): its controls, made page by page in
// SetupPages.cpp, and its actions in SetupDialog.cpp. It deletes itself when its window goes.
// Controls are found by their design names' IDs (ControlIds.h), so tests can drive them.
#pragma once

#include "StationObserver.h"
#include "StationRunner.h"

#include <windows.h>

#include <array>
#include <functional>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace tovana::win32::app {

class SetupDialog final : public station::StationObserver {
public:
    SetupDialog(StationRunner &runner, std::function<void()> closed);
    ~SetupDialog() override;
    SetupDialog(const SetupDialog &) = delete;
    SetupDialog &operator=(const SetupDialog &) = delete;

    bool create(HINSTANCE instance, HWND owner, HFONT font);
    HWND window() const { return m_window; }
    void stationChanged(station::StationChange change, int index) override;

private:
    enum Tab { ComPort, Meters, Relays, Limits };
    enum class Loading { Activation, Picking };
    static constexpr int kWidth = 472, kHeight = 326; // client pixels at 96 DPI
    static constexpr int kPortOptionCount = 10;       // Option1_0..9: "Com 1".."Com 10"
    static constexpr int kSpeedOptionCount = 5;       // Option1_10..14: "1200".."19200"
    static constexpr int kRelayBoxes[12] = {2, 4, 6, 10, 11, 12, 13, 14, 15, 16, 17, 18}; // TextN of relay 1..12
    static constexpr int kBandEndBoxes[3] = {3, 5, 7};                                    // TextN of bands 1..3
    static constexpr int kSwatchBase = 7900; // 7901..7903: the colour beside Command4, Command5, Command6
    static constexpr int kDivisionsValue = 7950;
    static constexpr int kLimitTitle = 7960;
    static constexpr int kLimitRelayLabelBase = 7970;

    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    int px(int pixels) const;
    HWND add(Tab tab, const wchar_t *className, const std::wstring &text, DWORD style, RECT place, int id);
    HWND control(int id) const { return GetDlgItem(m_window, id); }
    void buildComPortTab();
    void buildMetersTab();
    void buildRelaysTab();
    void buildLimitsTab();
    void showTab(int tab);
    void command(int id, int code);
    void scrolled(HWND bar, int code);
    bool setScroll(int id, int position);
    void setText(int id, const std::string &text);
    std::string utf8Of(int id) const;
    static std::string numberBoxName(int id);
    static std::string speedText(int k); // "1200".."19200"
    bool holdNumbers(std::initializer_list<int> boxes);

    void applyPort();
    void showRelayLabel(int relay);
    void showHold();
    void loadStation();
    int response() const;
    void setResponse(int value);

    void loadMeter(int meter, Loading how);
    void loadMultiplier();
    void titleEdited();
    void applyScale();
    void applyBands();
    void showBandColours();
    void pickColour(int band);
    void divisionsMoved(int count);
    void multiplierMoved(int position);

    void showLimit();
    void applyLimit();

    StationRunner &m_runner;
    station::Station &m_station;
    std::function<void()> m_closed;
    HWND m_window = nullptr;
    HINSTANCE m_instance = nullptr;
    HFONT m_font = nullptr;
    HFONT m_bold = nullptr;
    int m_dpi = 96;
    std::vector<std::pair<Tab, HWND>> m_pages;
    std::array<HBRUSH, 3> m_swatches{};
    int m_meter = 0;
};

} // namespace tovana::win32::app
