// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The setup dialog's four pages: their controls, captions and places (pixels at 96 DPI,
// within the dialog's designed size), as the Linux dialog lays them out.
#include "SetupDialogWindow.h"

#include "ControlIds.h"
#include "Station.h"
#include "Text.h"

#include <commctrl.h>

namespace tovana::win32::app {

namespace {

constexpr DWORD kVisible = 0; // pages are shown by showTab()
constexpr DWORD kLabel = SS_LEFT | kVisible;
constexpr DWORD kEdit = ES_AUTOHSCROLL | WS_TABSTOP;
constexpr DWORD kButton = BS_PUSHBUTTON | WS_TABSTOP;
constexpr DWORD kGroup = BS_GROUPBOX;

} // namespace

std::string SetupDialog::speedText(int k)
{
    const char *speeds[kSpeedOptionCount] = {"1200", "2400", "4800", "9600", "19200"};
    return speeds[k];
}

std::string SetupDialog::numberBoxName(int id)
{
    if (id == textId(8))
        return "Zero Value";
    if (id == textId(9))
        return "Full Scale Value";
    for (int n = 0; n < 3; ++n)
        if (id == textId(kBandEndBoxes[n]))
            return "Color Band " + std::to_string(n + 1) + " - End Value";
    return "The box";
}

void SetupDialog::buildComPortTab()
{
    add(ComPort, WC_BUTTONW, L"Select Com Port", kGroup, {12, 36, 184, 140}, -1);
    for (int k = 0; k < kPortOptionCount; ++k)
        add(ComPort, WC_BUTTONW, L"Com " + std::to_wstring(k + 1),
            BS_AUTORADIOBUTTON | WS_TABSTOP | (k == 0 ? WS_GROUP : 0), {24 + 84 * (k / 5), 56 + 22 * (k % 5), 80, 20},
            optionId(k));
    add(ComPort, WC_BUTTONW, L"Set Baud Rate", kGroup | WS_GROUP, {210, 36, 120, 140}, -1);
    for (int k = 0; k < kSpeedOptionCount; ++k)
        add(ComPort, WC_BUTTONW, widen(speedText(k)).value_or(L""),
            BS_AUTORADIOBUTTON | WS_TABSTOP | (k == 0 ? WS_GROUP : 0), {222, 56 + 22 * k, 96, 20},
            optionId(kPortOptionCount + k));
    add(ComPort, WC_BUTTONW, L"Apply", kButton | WS_GROUP, {210, 184, 72, 24}, commandId(2));
    // Unlike the port, the interlock works from the moment it is ticked.
    add(ComPort, WC_BUTTONW, L"Hold band relays while transmitting", BS_AUTOCHECKBOX | WS_TABSTOP | WS_GROUP,
        {12, 222, 440, 20}, kCheck1);
    add(ComPort, WC_STATICW, L"Note:  Com Settings will take effect after Setup window is closed.", kLabel,
        {12, 270, 440, 36}, -1);
}

void SetupDialog::buildMetersTab()
{
    add(Meters, WC_STATICW, L"Select Meter to Setup", kLabel, {12, 36, 184, 16}, -1);
    HWND choice = add(Meters, WC_COMBOBOXW, L"", CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL | WS_TABSTOP,
                      {12, 54, 184, 200}, kCombo1);
    for (int i = 1; i <= station::kMeterCount; ++i)
        SendMessageW(choice, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>((L"Meter " + std::to_wstring(i)).c_str()));
    add(Meters, WC_STATICW, L"Enter Title", kLabel, {12, 84, 184, 16}, -1);
    HWND title = add(Meters, WC_EDITW, L"Volts DC", kEdit, {12, 102, 184, 22}, textId(1));
    SendMessageW(title, WM_SETFONT, reinterpret_cast<WPARAM>(m_bold), FALSE);
    add(Meters, WC_STATICW, L"Zero Value", kLabel, {12, 136, 104, 16}, -1);
    add(Meters, WC_EDITW, L"0", kEdit, {120, 132, 76, 22}, textId(8));
    add(Meters, WC_STATICW, L"Full Scale Value", kLabel, {12, 164, 104, 16}, -1);
    add(Meters, WC_EDITW, L"5", kEdit, {120, 160, 76, 22}, textId(9));
    add(Meters, WC_BUTTONW, L"Apply", kButton, {120, 188, 76, 24}, commandId(12));

    add(Meters, WC_BUTTONW, L"Setup Color Bands", kGroup, {208, 34, 252, 196}, -1);
    const wchar_t *ends[3] = {L"2", L"4", L"5"};
    for (int n = 0; n < 3; ++n) {
        add(Meters, WC_STATICW, L"Color Band " + std::to_wstring(n + 1) + L" - End Value", kLabel,
            {220, 52 + 48 * n, 232, 16}, -1);
        add(Meters, WC_BUTTONW, L"Color", kButton, {220, 70 + 48 * n, 64, 24}, commandId(4 + n));
        add(Meters, WC_STATICW, L"", SS_LEFT | WS_BORDER, {290, 74 + 48 * n, 16, 16}, kSwatchBase + 1 + n);
        add(Meters, WC_EDITW, ends[n], kEdit, {314, 71 + 48 * n, 80, 22}, textId(kBandEndBoxes[n]));
    }
    add(Meters, WC_BUTTONW, L"Apply", kButton, {314, 200, 80, 24}, commandId(10));

    add(Meters, WC_BUTTONW, L"Divisions", kGroup, {12, 238, 140, 58}, -1);
    add(Meters, WC_SCROLLBARW, L"", SBS_HORZ | WS_TABSTOP, {20, 262, 100, 18}, hScrollId(2));
    add(Meters, WC_STATICW, L"0", kLabel, {126, 263, 22, 16}, kDivisionsValue);
    add(Meters, WC_BUTTONW, L"Meter Reponse", kGroup, {160, 238, 150, 58}, -1);
    add(Meters, WC_SCROLLBARW, L"", SBS_HORZ | WS_TABSTOP, {168, 256, 134, 18}, hScrollId(3));
    add(Meters, WC_STATICW, L"Slow", kLabel, {168, 277, 40, 16}, -1);
    add(Meters, WC_STATICW, L"Fast", SS_RIGHT, {262, 277, 40, 16}, -1);
    add(Meters, WC_BUTTONW, L"Multiplier", kGroup, {318, 238, 142, 58}, -1);
    add(Meters, WC_SCROLLBARW, L"", SBS_HORZ | WS_TABSTOP, {326, 262, 84, 18}, hScrollId(4));
    add(Meters, WC_STATICW, L"", kLabel, {414, 263, 42, 16}, labelId(8));
}

void SetupDialog::buildRelaysTab()
{
    add(Relays, WC_STATICW, L"Enter a button label up to 8 characters long in the box above each relay position.",
        kLabel, {12, 36, 440, 32}, -1);
    for (int n = 1; n <= station::kRelayCount; ++n) {
        const int row = (n - 1) / 4, column = (n - 1) % 4;
        add(Relays, WC_EDITW, L"", kEdit, {12 + 112 * column, 78 + 60 * row, 100, 22}, textId(kRelayBoxes[n - 1]));
        add(Relays, WC_STATICW, L"Relay " + std::to_wstring(n), kLabel, {12 + 112 * column, 102 + 60 * row, 100, 16},
            -1);
    }
}

void SetupDialog::buildLimitsTab()
{
    add(Limits, WC_STATICW, L"", kLabel, {12, 36, 440, 16}, kLimitTitle);
    add(Limits, WC_STATICW, L"Trip when the reading is", kLabel, {12, 62, 150, 16}, -1);
    HWND kind = add(Limits, WC_COMBOBOXW, L"", CBS_DROPDOWNLIST | WS_TABSTOP, {170, 58, 100, 120}, kLimitKind);
    for (const wchar_t *text : {L"Off", L"Above", L"Below"})
        SendMessageW(kind, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    add(Limits, WC_STATICW, L"Limit", kLabel, {12, 90, 150, 16}, -1);
    add(Limits, WC_EDITW, L"", kEdit, {170, 86, 100, 22}, kLimitValue);
    add(Limits, WC_STATICW, L"Readings in a row", kLabel, {12, 118, 150, 16}, -1);
    add(Limits, WC_EDITW, L"", kEdit | ES_NUMBER, {170, 114, 60, 22}, kLimitReadings);
    add(Limits, WC_BUTTONW, L"Only while transmitting", BS_AUTOCHECKBOX | WS_TABSTOP, {170, 142, 200, 20},
        kLimitWhileTx);
    add(Limits, WC_BUTTONW, L"Apply", kButton, {384, 140, 72, 24}, kLimitApply);
    add(Limits, WC_STATICW, L"A trip switches:", kLabel, {12, 170, 200, 16}, -1);
    for (int n = 1; n <= station::kRelayCount; ++n) {
        const int row = (n - 1) % 4, column = (n - 1) / 4;
        add(Limits, WC_STATICW, L"", kLabel, {12 + 150 * column, 194 + 28 * row, 66, 16}, kLimitRelayLabelBase + n);
        HWND move = add(Limits, WC_COMBOBOXW, L"", CBS_DROPDOWNLIST | WS_TABSTOP,
                        {80 + 150 * column, 190 + 28 * row, 72, 120}, limitRelayId(n));
        for (const wchar_t *text : {L"Leave", L"On", L"Off"})
            SendMessageW(move, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    }
}

} // namespace tovana::win32::app
