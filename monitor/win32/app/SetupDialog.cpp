// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "SetupDialog.h"

#include "ControlIds.h"
#include "MainWindow.h"
#include "MeterChoice.h"
#include "SetupDialogWindow.h"
#include "Text.h"
#include "TextForms.h"

#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>
#include <cmath>
#include <optional>

namespace tovana::win32::app {

namespace {

const wchar_t kClassName[] = L"TovanaSetup";
constexpr int kResponseMax = 32767;

// Each bar starts where the Linux dialog's does, so that loading moves (and acts) alike:
// divisions at 0, the response at 15000, the multiplier at 1.00.
struct ScrollRange {
    int id, min, max, small, large, start;
};
const ScrollRange kScrolls[] = {{hScrollId(2), 0, 9, 1, 1, 0},
                                {hScrollId(3), 0, kResponseMax, 1000, 5000, kResponseMax - 15000},
                                {hScrollId(4), 1, 1000, 1, 10, 100}};

std::wstring wide(const std::string &text)
{
    return widen(text).value_or(L"");
}

} // namespace

SetupDialog::SetupDialog(StationRunner &runner, std::function<void()> closed)
    : m_runner(runner)
    , m_station(runner.station())
    , m_closed(std::move(closed))
{}

SetupDialog::~SetupDialog()
{
    for (HBRUSH brush : m_swatches)
        if (brush)
            DeleteObject(brush);
    if (m_bold)
        DeleteObject(m_bold);
}

bool SetupDialog::create(HINSTANCE instance, HWND owner, HFONT font)
{
    m_instance = instance;
    m_font = font;
    LOGFONTW bold{};
    GetObjectW(font, sizeof bold, &bold);
    bold.lfWeight = FW_BOLD;
    m_bold = CreateFontIndirectW(&bold);
    HDC screen = GetDC(nullptr);
    m_dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);

    WNDCLASSW type{};
    type.lpfnWndProc = procedure;
    type.hInstance = instance;
    type.hIcon = LoadIconW(instance, L"TOVANA_ICON");
    type.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    type.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    type.lpszClassName = kClassName;
    RegisterClassW(&type); // fails harmlessly once registered

    const DWORD style = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_POPUP | WS_CLIPCHILDREN;
    RECT frame{0, 0, px(kWidth), px(kHeight)};
    AdjustWindowRectEx(&frame, style, FALSE, WS_EX_APPWINDOW);
    m_window = CreateWindowExW(WS_EX_APPWINDOW, kClassName, L"Setup", style, CW_USEDEFAULT, CW_USEDEFAULT,
                               frame.right - frame.left, frame.bottom - frame.top, owner, nullptr, instance, this);
    if (!m_window)
        return false;
    // The tabs alone, over the pages: a themed tab's body would not match the pages' own
    // background, which their labels and groups are drawn on.
    HWND tabs = CreateWindowExW(0, WC_TABCONTROLW, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP, px(4),
                                px(4), px(kWidth - 8), px(26), m_window,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(kSetupTabs)), instance, nullptr);
    SendMessageW(tabs, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    const wchar_t *names[] = {L"Com Port", L"Meters", L"Relays", L"Limits"};
    for (int t = 0; t < 4; ++t) {
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<wchar_t *>(names[t]);
        SendMessageW(tabs, TCM_INSERTITEMW, t, reinterpret_cast<LPARAM>(&item));
    }
    buildComPortTab();
    buildMetersTab();
    buildRelaysTab();
    buildLimitsTab();
    SetWindowPos(tabs, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    for (const ScrollRange &range : kScrolls) {
        SetScrollRange(control(range.id), SB_CTL, range.min, range.max, FALSE);
        SetScrollPos(control(range.id), SB_CTL, range.start, FALSE);
    }

    loadStation();
    loadMeter(0, Loading::Activation);
    m_station.addObserver(this);
    SendMessageW(tabs, TCM_SETCURSEL, Meters, 0);
    showTab(Meters);
    ShowWindow(m_window, SW_SHOW);
    return true;
}

int SetupDialog::px(int pixels) const
{
    return MulDiv(pixels, m_dpi, 96);
}

HWND SetupDialog::add(Tab tab, const wchar_t *className, const std::wstring &text, DWORD style, RECT place, int id)
{
    DWORD extended = 0;
    if (className == std::wstring(WC_EDITW) || (className == std::wstring(WC_COMBOBOXW) && (style & CBS_DROPDOWN)))
        extended = WS_EX_CLIENTEDGE;
    if ((style & 0xF) == BS_GROUPBOX && className == std::wstring(WC_BUTTONW))
        extended = WS_EX_TRANSPARENT;
    HWND window = CreateWindowExW(extended, className, text.c_str(), WS_CHILD | WS_CLIPSIBLINGS | style, px(place.left),
                                  px(place.top), px(place.right), px(place.bottom), m_window,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), m_instance, nullptr);
    SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(m_font), FALSE);
    m_pages.push_back({tab, window});
    return window;
}

void SetupDialog::showTab(int tab)
{
    for (const auto &[page, window] : m_pages)
        ShowWindow(window, page == tab ? SW_SHOWNA : SW_HIDE);
}

LRESULT CALLBACK SetupDialog::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto *self = static_cast<SetupDialog *>(reinterpret_cast<CREATESTRUCTW *>(lParam)->lpCreateParams);
        self->m_window = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto *self = reinterpret_cast<SetupDialog *>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self)
        return DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        // The main window comes back once the dialog has gone.
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        std::function<void()> closed = std::move(self->m_closed);
        delete self;
        if (closed)
            closed();
        return DefWindowProcW(window, message, wParam, lParam);
    }
    return self->handle(message, wParam, lParam);
}

LRESULT SetupDialog::handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND: command(LOWORD(wParam), HIWORD(wParam)); return 0;
    case WM_HSCROLL:
        if (lParam)
            scrolled(reinterpret_cast<HWND>(lParam), LOWORD(wParam));
        return 0;
    case WM_NOTIFY: {
        const NMHDR *header = reinterpret_cast<const NMHDR *>(lParam);
        if (header->idFrom == UINT_PTR(kSetupTabs) && header->code == TCN_SELCHANGE)
            showTab(int(SendMessageW(header->hwndFrom, TCM_GETCURSEL, 0, 0)));
        return 0;
    }
    case WM_CTLCOLORSTATIC: {
        const int id = GetDlgCtrlID(reinterpret_cast<HWND>(lParam));
        if (id > kSwatchBase && id <= kSwatchBase + 3 && m_swatches[id - kSwatchBase - 1])
            return reinterpret_cast<LRESULT>(m_swatches[id - kSwatchBase - 1]);
        SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    }
    case WM_CLOSE:
        m_runner.save();
        DestroyWindow(m_window);
        return 0;
    case WM_DESTROY: m_station.removeObserver(this); return 0;
    default: break;
    }
    return DefWindowProcW(m_window, message, wParam, lParam);
}

void SetupDialog::command(int id, int code)
{
    if (id == kCombo1 && code == CBN_SELCHANGE) {
        const auto picked = int(SendMessageW(control(kCombo1), CB_GETCURSEL, 0, 0));
        if (picked >= 0)
            loadMeter(picked, Loading::Picking);
        return;
    }
    // Enter (which the dialog's keyboard handling turns into IDOK) in the meter box picks
    // the meter typed there, as choosing it from the list does.
    if (id == IDOK && GetAncestor(GetFocus(), GA_PARENT) == control(kCombo1)) {
        wchar_t typed[64] = {};
        GetWindowTextW(control(kCombo1), typed, 64);
        if (const std::optional<int> meter = face::meterNamedBy(narrow(typed)))
            loadMeter(*meter, Loading::Picking);
        return;
    }
    if (id == textId(1) && code == EN_CHANGE)
        return titleEdited();
    for (int n = 1; n <= station::kRelayCount; ++n)
        if (id == textId(kRelayBoxes[n - 1]) && code == EN_CHANGE)
            return m_station.setRelayLabel(n, utf8Of(id));
    if (code != BN_CLICKED)
        return;
    switch (id) {
    case commandId(2): applyPort(); break;
    case commandId(4): pickColour(0); break;
    case commandId(5): pickColour(1); break;
    case commandId(6): pickColour(2); break;
    case commandId(10): applyBands(); break;
    case commandId(12): applyScale(); break;
    case kCheck1:
        m_runner.perform(m_station.setHoldWhileTx(SendMessageW(control(kCheck1), BM_GETCHECK, 0, 0) == BST_CHECKED));
        break;
    case kLimitApply: applyLimit(); break;
    default: break;
    }
}

// A scroll bar moves by its small and large steps, or to where its box was dragged.
void SetupDialog::scrolled(HWND bar, int code)
{
    const int id = GetDlgCtrlID(bar);
    const ScrollRange *range = nullptr;
    for (const ScrollRange &each : kScrolls)
        if (each.id == id)
            range = &each;
    if (!range)
        return;
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL;
    GetScrollInfo(bar, SB_CTL, &info);
    int position = info.nPos;
    switch (code) {
    case SB_LINELEFT: position -= range->small; break;
    case SB_LINERIGHT: position += range->small; break;
    case SB_PAGELEFT: position -= range->large; break;
    case SB_PAGERIGHT: position += range->large; break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: position = info.nTrackPos; break;
    case SB_LEFT: position = range->min; break;
    case SB_RIGHT: position = range->max; break;
    default: return;
    }
    setScroll(id, std::clamp(position, range->min, range->max));
}

// Moves a scroll bar; only a move runs its action, as a user's would. False when it stood there.
bool SetupDialog::setScroll(int id, int position)
{
    HWND bar = control(id);
    if (GetScrollPos(bar, SB_CTL) == position)
        return false;
    SetScrollPos(bar, SB_CTL, position, TRUE);
    if (id == hScrollId(2))
        divisionsMoved(position);
    else if (id == hScrollId(3))
        m_station.setMeterResponse(response());
    else if (id == hScrollId(4))
        multiplierMoved(position);
    return true;
}

// Slow (32767) at the left, fast (0) at the right.
int SetupDialog::response() const
{
    return kResponseMax - GetScrollPos(control(hScrollId(3)), SB_CTL);
}

void SetupDialog::setResponse(int value)
{
    // Setting the slider to where it stands must still count.
    if (!setScroll(hScrollId(3), kResponseMax - std::clamp(value, 0, kResponseMax)))
        m_station.setMeterResponse(response());
}

void SetupDialog::setText(int id, const std::string &text)
{
    SetWindowTextW(control(id), wide(text).c_str());
}

std::string SetupDialog::utf8Of(int id) const
{
    HWND window = control(id);
    std::wstring text(std::size_t(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(std::size_t(GetWindowTextW(window, text.data(), int(text.size()))));
    return narrow(text);
}

// True when every box holds a number; otherwise the first that does not is named in a
// message, and its text stays as typed.
bool SetupDialog::holdNumbers(std::initializer_list<int> boxes)
{
    for (int id : boxes) {
        if (!station::parseReal(utf8Of(id))) {
            tellOperator(numberBoxName(id) + " is not a number: " + utf8Of(id));
            SetFocus(control(id));
            return false;
        }
    }
    return true;
}

// -- The "Com Port" and "Relays" tabs

// The picked port and speed are stored and the port closes; it stays closed until the
// dialog closes and the main window's activation opens it with them.
void SetupDialog::applyPort()
{
    station::PortConfig port = m_station.port();
    for (int k = 0; k < kPortOptionCount; ++k)
        if (SendMessageW(control(optionId(k)), BM_GETCHECK, 0, 0) == BST_CHECKED)
            port.number = k + 1;
    for (int k = 0; k < kSpeedOptionCount; ++k)
        if (SendMessageW(control(optionId(kPortOptionCount + k)), BM_GETCHECK, 0, 0) == BST_CHECKED)
            port.settings = speedText(k) + ",N,8,1";
    m_runner.perform(m_station.setPort(port.number, port.settings));
}

// A stored label longer than the box takes when typing is shown, used and saved whole.
void SetupDialog::showRelayLabel(int relay)
{
    const std::string &label = m_station.relay(relay).label;
    const int id = textId(kRelayBoxes[relay - 1]);
    const std::wstring text = wide(label);
    SendMessageW(control(id), EM_SETLIMITTEXT, std::max<std::size_t>(station::kRelayLabelLength, text.size()), 0);
    if (utf8Of(id) != label)
        SetWindowTextW(control(id), text.c_str());
}

void SetupDialog::showHold()
{
    SendMessageW(control(kCheck1), BM_SETCHECK, m_station.holdWhileTx() ? BST_CHECKED : BST_UNCHECKED, 0);
}

// What the dialog shows of the station when it opens: relay labels, port, speed, response
// and the hold.
void SetupDialog::loadStation()
{
    for (int n = 1; n <= station::kRelayCount; ++n)
        showRelayLabel(n);
    const station::PortConfig &port = m_station.port();
    if (port.number >= 1 && port.number <= kPortOptionCount)
        SendMessageW(control(optionId(port.number - 1)), BM_SETCHECK, BST_CHECKED, 0);
    for (int k = 0; k < kSpeedOptionCount; ++k)
        for (const char *parity : {",N,8,1", ",n,8,1"})
            if (port.settings == speedText(k) + parity)
                SendMessageW(control(optionId(kPortOptionCount + k)), BM_SETCHECK, BST_CHECKED, 0);
    if (m_station.responseLoaded())
        setResponse(m_station.meterResponse());
    showHold();
}

// Another view (the network) may change what the dialog shows while it is open.
void SetupDialog::stationChanged(station::StationChange change, int index)
{
    using station::StationChange;
    if (change == StationChange::Relay && index >= 1)
        showRelayLabel(index);
    if (change == StationChange::Hold)
        showHold();
    if (change == StationChange::Meter && index == m_meter)
        showBandColours();
}

// -- The "Meters" tab

// Every control this changes runs its own change action on the way, as a user's edit would.
void SetupDialog::loadMeter(int meter, Loading how)
{
    if (how == Loading::Activation)
        SendMessageW(control(kCombo1), CB_SETCURSEL, 0, 0);
    m_meter = meter;
    const station::MeterConfig &config = m_station.meter(meter);
    setText(textId(1), config.caption);
    for (int band = 0; band < 3; ++band)
        setText(textId(kBandEndBoxes[band]), station::formatReal(config.bands[std::size_t(band)].stop));
    setText(textId(8), station::formatReal(config.scaleMin));
    setText(textId(9), station::formatReal(config.scaleMax));
    showBandColours();
    // Each showing starts from meter 1's stored divisions.
    const int divisions = how == Loading::Activation ? m_station.meter(0).ticSubCount : config.ticSubCount;
    if (!setScroll(hScrollId(2), std::clamp(divisions, 0, 9)))
        SetWindowTextW(control(kDivisionsValue), std::to_wstring(GetScrollPos(control(hScrollId(2)), SB_CTL)).c_str());
    if (how == Loading::Activation && m_station.responseLoaded())
        setResponse(m_station.meterResponse());
    loadMultiplier();
    showLimit();
}

// The label shows the multiplier as the store holds it ("1.0" as seeded). The slider takes
// it to the nearest hundredth; when that moves the slider, the rounded multiplier is
// stored. One beyond the slider's reach is only shown on the label: the slider stops at its
// end without storing.
void SetupDialog::loadMultiplier()
{
    const std::string &held = m_station.multiplier(m_meter);
    setText(labelId(8), held);
    const std::optional<double> multiplier = station::parseReal(held);
    if (!multiplier)
        return;
    const double position = std::nearbyint(*multiplier * 100);
    if (position < 1 || position > 1000) {
        SetScrollPos(control(hScrollId(4)), SB_CTL, position < 1 ? 1 : 1000, TRUE);
        return;
    }
    setScroll(hScrollId(4), int(position));
}

void SetupDialog::titleEdited()
{
    wchar_t chosen[64] = {};
    GetWindowTextW(control(kCombo1), chosen, 64);
    m_meter = face::meterNamedBy(narrow(chosen)).value_or(m_meter);
    m_station.setCaption(m_meter, utf8Of(textId(1)));
}

// Sets the scale from the zero and full-scale boxes and resets the three bands to 0-60 %,
// 60-80 % and 80-100 % of the new span; the station saves it.
void SetupDialog::applyScale()
{
    if (!holdNumbers({textId(8), textId(9)}))
        return;
    m_runner.perform(
        m_station.applyScale(m_meter, *station::parseReal(utf8Of(textId(8))), *station::parseReal(utf8Of(textId(9)))));
    for (int band = 0; band < 3; ++band)
        setText(textId(kBandEndBoxes[band]),
                station::formatReal(m_station.meter(m_meter).bands[std::size_t(band)].stop));
}

// Band 1 starts at the zero box as it stands, applied to the scale or not; each later band
// starts where the one before ends. Nothing changes unless all four boxes hold numbers.
void SetupDialog::applyBands()
{
    if (!holdNumbers({textId(kBandEndBoxes[0]), textId(kBandEndBoxes[1]), textId(kBandEndBoxes[2]), textId(8)}))
        return;
    const auto number = [this](int id) { return *station::parseReal(utf8Of(id)); };
    m_runner.perform(m_station.applyBands(
        m_meter, number(textId(8)),
        {number(textId(kBandEndBoxes[0])), number(textId(kBandEndBoxes[1])), number(textId(kBandEndBoxes[2]))}));
}

// Each "Color" button has a swatch of its band's colour on the meter shown beside it.
void SetupDialog::showBandColours()
{
    for (int band = 0; band < 3; ++band) {
        if (m_swatches[band])
            DeleteObject(m_swatches[band]);
        // The station keeps colours as 0x00BBGGRR, a COLORREF's own layout.
        m_swatches[band] = CreateSolidBrush(COLORREF(m_station.meter(m_meter).bands[std::size_t(band)].color));
        InvalidateRect(control(kSwatchBase + 1 + band), nullptr, TRUE);
    }
}

// The system's colour dialog opens on the band's own colour. Only a confirmed pick reaches
// the band; Cancel changes nothing. Its loop serves the station's timers and the line's
// bytes as the main loop does: they come as messages to windows of this thread.
void SetupDialog::pickColour(int band)
{
    static COLORREF custom[16] = {};
    CHOOSECOLORW choice{};
    choice.lStructSize = sizeof choice;
    choice.hwndOwner = m_window;
    choice.rgbResult = COLORREF(m_station.meter(m_meter).bands[std::size_t(band)].color);
    choice.lpCustColors = custom;
    choice.Flags = CC_RGBINIT | CC_FULLOPEN | CC_ANYCOLOR;
    const int meter = m_meter;
    if (ChooseColorW(&choice))
        m_station.setBandColour(meter, band, std::uint32_t(choice.rgbResult & 0xFFFFFF));
}

void SetupDialog::divisionsMoved(int count)
{
    SetWindowTextW(control(kDivisionsValue), std::to_wstring(count).c_str());
    m_station.setTicks(m_meter, count);
}

void SetupDialog::multiplierMoved(int position)
{
    const double multiplier = position / 100.0;
    setText(labelId(8), station::formatReal(multiplier));
    m_runner.saveMultiplier(m_meter, multiplier);
}

// -- The "Limits" tab, for the meter chosen on the "Meters" tab

void SetupDialog::showLimit()
{
    const station::LimitConfig &limit = m_station.limits()[std::size_t(m_meter)];
    setText(kLimitTitle, "Meter " + std::to_string(m_meter + 1) + ": " + m_station.meter(m_meter).caption);
    SendMessageW(control(kLimitKind), CB_SETCURSEL, WPARAM(limit.kind), 0);
    setText(kLimitValue, station::formatReal(limit.value));
    setText(kLimitReadings, std::to_string(limit.readings));
    SendMessageW(control(kLimitWhileTx), BM_SETCHECK, limit.onlyWhileTx ? BST_CHECKED : BST_UNCHECKED, 0);
    for (int n = 1; n <= station::kRelayCount; ++n) {
        SendMessageW(control(limitRelayId(n)), CB_SETCURSEL, WPARAM(limit.action[std::size_t(n - 1)]), 0);
        setText(kLimitRelayLabelBase + n, m_station.relay(n).label);
    }
}

void SetupDialog::applyLimit()
{
    const std::string value = utf8Of(kLimitValue);
    const std::optional<double> number = station::parseReal(value);
    if (!number) {
        tellOperator("The limit was not set: \"" + value + "\" is not a number.");
        return;
    }
    const std::optional<double> readings = station::parseReal(utf8Of(kLimitReadings));
    if (!readings || *readings < 1 || *readings > station::LimitConfig::kMaxReadings) {
        tellOperator("The limit was not set: the readings in a row are a number from 1 to " +
                     std::to_string(station::LimitConfig::kMaxReadings) + ".");
        return;
    }
    station::LimitConfig limit;
    limit.kind = station::LimitKind(SendMessageW(control(kLimitKind), CB_GETCURSEL, 0, 0));
    limit.value = *number;
    limit.readings = int(*readings);
    limit.onlyWhileTx = SendMessageW(control(kLimitWhileTx), BM_GETCHECK, 0, 0) == BST_CHECKED;
    for (int n = 1; n <= station::kRelayCount; ++n)
        limit.action[std::size_t(n - 1)] =
            station::RelayMove(SendMessageW(control(limitRelayId(n)), CB_GETCURSEL, 0, 0));
    m_runner.perform(m_station.setLimit(m_meter, limit));
}

// -- Opening

HWND showSetupDialog(HINSTANCE instance, HWND owner, HFONT font, StationRunner &runner, std::function<void()> closed)
{
    auto *dialog = new SetupDialog(runner, std::move(closed));
    if (!dialog->create(instance, owner, font)) {
        delete dialog;
        return nullptr;
    }
    return dialog->window(); // it deletes itself when its window goes
}

bool setupDialogMessage(MSG &message)
{
    HWND top = message.hwnd ? GetAncestor(message.hwnd, GA_ROOT) : nullptr;
    wchar_t name[32] = {};
    if (!top || !GetClassNameW(top, name, 32) || std::wstring(name) != kClassName)
        return false;
    return IsDialogMessageW(top, &message);
}

} // namespace tovana::win32::app
