// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "MainWindow.h"

#include "AboutBox.h"
#include "BandTable.h"
#include "ControlIds.h"
#include "SetupDialog.h"
#include "Text.h"
#include "TovanaVersion.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>

namespace tovana::win32::app {

namespace {

const wchar_t kClassName[] = L"TovanaMonitor";
constexpr int kDesignWidthTwips = 3480;
// The design's 7155, and a row below it for the trip line, two lines high: the line names
// the meter, its limit, the reading and the time, more than one line holds at the design's
// width.
constexpr int kDesignHeightTwips = 7650;
constexpr int kTwipsPerPixel = station::kTwipsPerPixel;
// The design's own pixels are too small to read on today's screens: the window opens at
// this multiple of them (at 96 DPI) unless a size is stored.
constexpr double kNaturalScale = 1.6;
constexpr int kDesignFontPixels = 11; // the design's 8-point text at 96 DPI

enum class Kind { Gauge, Button, Indicator, Tx, OffBar, OnBar, Lamp, Frame, Label, Notice, TripLine };

// One control of the panel: ID, kind, caption, colour (0xFFFFFFFF = the system's), place in
// twips, whether it shows before the first loading.
struct ControlSpec {
    int id;
    Kind kind;
    std::wstring caption;
    COLORREF colour;
    RECT twips; // left, top, width, height
    bool visible = true;
};

constexpr COLORREF kSystem = 0xFFFFFFFF;
const COLORREF kBandButtonColour = RGB(128, 255, 128);
const COLORREF kIndicatorColour = RGB(0, 255, 0);
const COLORREF kNoticeColour = RGB(170, 0, 0);
const COLORREF kHeldColour = RGB(220, 0, 0);
const COLORREF kTripColour = RGB(192, 0, 0);
constexpr int kTripFramePixels = 3;

std::wstring bandCaption(int b)
{
    return widen(station::bandTable()[std::size_t(b)].caption).value_or(L"");
}

RECT bandPlace(int b)
{
    const int column = b < 5 ? b : b - 5;
    return {195 + 480 * column, b < 5 ? 6000 : 6360, 375, 255};
}

std::vector<ControlSpec> layoutTable()
{
    std::vector<ControlSpec> table;
    for (int i = 0; i < station::kMeterCount; ++i)
        table.push_back(
            {gaugeId(i), Kind::Gauge, L"", kSystem, {i % 2 == 0 ? 120 : 1800, 120 + 960 * (i / 2), 1575, 855}});
    const auto left = [](int column) { return 120 + 840 * column; };
    const auto top = [](int row) { return 4200 + 600 * row; };
    for (int n = 1; n <= station::kRelayCount; ++n)
        table.push_back({relayButtonId(n),
                         Kind::Button,
                         L"Relay" + std::to_wstring(n),
                         kSystem,
                         {left((n - 1) % 4), top((n - 1) / 4), 735, 300}});
    // Each relay's red bar, then its green lamp over it, just above its button.
    for (int green = 0; green < 2; ++green)
        for (int n = 1; n <= station::kRelayCount; ++n)
            table.push_back({relayLampId(green ? 15 + n : n - 1),
                             green ? Kind::OnBar : Kind::OffBar,
                             L"",
                             green ? RGB(0, 192, 0) : RGB(192, 0, 0),
                             {left((n - 1) % 4) + 120, top((n - 1) / 4) - 165, 495, 135},
                             !green});
    table.push_back({frameId(1), Kind::Frame, L"Antenna/Band Switch", kSystem, {75, 5760, 2608, 975}});
    table.push_back({frameId(2), Kind::Frame, L"OLE", kSystem, {2745, 5760, 615, 975}});
    for (int b = 0; b < station::kBandCount; ++b)
        table.push_back(
            {commandId(kBandButtonCommands[b]), Kind::Button, bandCaption(b), kBandButtonColour, bandPlace(b)});
    for (int b = 0; b < station::kBandCount; ++b)
        table.push_back({commandId(kBandIndicatorCommands[b]), Kind::Indicator, bandCaption(b), kIndicatorColour,
                         bandPlace(b), false});
    table.push_back({labelId(2), Kind::Label, L"", kSystem, {2115, 6360, 495, 255}});
    table.push_back({commandId(kFollowOffButton), Kind::Button, L"Off", kSystem, {2865, 6000, 375, 255}});
    table.push_back({commandId(kFollowOnButton), Kind::Button, L"On", kSystem, {2865, 6360, 375, 255}});
    table.push_back(
        {commandId(kFollowOffIndicator), Kind::Indicator, L"Off", kIndicatorColour, {2865, 6000, 375, 255}});
    table.push_back(
        {commandId(kFollowOnIndicator), Kind::Indicator, L"On", kIndicatorColour, {2865, 6360, 375, 255}, false});
    table.push_back({commandId(kTxIndicator), Kind::Tx, L"TX", kSystem, {75, 6810, 390, 285}, false});
    table.push_back({labelId(1), Kind::Label, L"Com Port", kSystem, {2160, 6840, 705, 225}});
    table.push_back(
        {labelId(3), Kind::Notice, L"No reply from the board", kNoticeColour, {525, 6840, 1560, 225}, false});
    table.push_back({pictureId(2), Kind::Lamp, L"", RGB(110, 0, 0), {2880, 6840, 225, 225}});
    table.push_back({pictureId(3), Kind::Lamp, L"", RGB(255, 40, 40), {2880, 6840, 225, 225}, false});
    table.push_back({pictureId(4), Kind::Lamp, L"", RGB(0, 90, 0), {3120, 6840, 225, 225}});
    table.push_back({pictureId(5), Kind::Lamp, L"", RGB(40, 255, 40), {3120, 6840, 225, 225}, false});
    table.push_back({kLimitTrip, Kind::TripLine, L"", kTripColour, {75, 7185, 2265, 420}, false});
    table.push_back({kLimitAck, Kind::Button, L"Acknowledge", kSystem, {2385, 7245, 1020, 300}, false});
    return table;
}

DWORD WINAPI showBox(void *text)
{
    std::wstring *message = static_cast<std::wstring *>(text);
    MessageBoxW(nullptr, message->c_str(), L"Tovana", MB_OK | MB_ICONINFORMATION | MB_SETFOREGROUND);
    delete message;
    return 0;
}

// The command a click on an indicator stands for: the button it covers.
int coveredButton(int id)
{
    for (int b = 0; b < station::kBandCount; ++b)
        if (id == commandId(kBandIndicatorCommands[b]))
            return commandId(kBandButtonCommands[b]);
    if (id == commandId(kFollowOffIndicator))
        return commandId(kFollowOffButton);
    if (id == commandId(kFollowOnIndicator))
        return commandId(kFollowOnButton);
    return id;
}

// The time of day of a trip, in the operator's own time: "14:05:09".
std::string timeOfDay(std::int64_t msSince1970)
{
    const std::int64_t ticks = (msSince1970 + 11644473600000) * 10000; // 100 ns since 1601
    FILETIME utc{DWORD(ticks), DWORD(ticks >> 32)}, local;
    SYSTEMTIME time{};
    FileTimeToLocalFileTime(&utc, &local);
    FileTimeToSystemTime(&local, &time);
    char text[16];
    std::snprintf(text, sizeof text, "%02u:%02u:%02u", unsigned(time.wHour), unsigned(time.wMinute),
                  unsigned(time.wSecond));
    return text;
}

} // namespace

void tellOperator(const std::string &text)
{
    auto *message = new std::wstring(widen(text).value_or(L"(a message that is not valid text)"));
    if (HANDLE thread = CreateThread(nullptr, 0, showBox, message, 0, nullptr))
        CloseHandle(thread);
    else
        delete message;
}

struct MainWindow::Placed {
    ControlSpec spec;
    HWND window;
};

MainWindow::MainWindow(bool subscribe) : m_runner(std::make_unique<StationRunner>(tellOperator, subscribe))
{
    m_runner->station().addObserver(this);
    m_runner->setBeforeSave([this] { rememberWindowPlace(); });
}

MainWindow::~MainWindow()
{
    m_runner->station().removeObserver(this);
    for (HFONT font : {m_font, m_dialogFont})
        if (font)
            DeleteObject(font);
}

bool MainWindow::create(HINSTANCE instance, int show)
{
    m_instance = instance;
    registerGaugeClass(instance);
    WNDCLASSEXW type{};
    type.cbSize = sizeof type;
    type.lpfnWndProc = procedure;
    type.hInstance = instance;
    type.hIcon = LoadIconW(instance, L"TOVANA_ICON");
    type.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    type.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    type.lpszClassName = kClassName;
    RegisterClassExW(&type);

    HMENU bar = CreateMenu();
    HMENU file = CreatePopupMenu();
    AppendMenuW(file, MF_STRING, mnuExit, L"&Exit");
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), L"&File");
    AppendMenuW(bar, MF_STRING, mnuSetup, L"&Setup");
    HMENU help = CreatePopupMenu();
    AppendMenuW(help, MF_STRING, mnuHelpContents, L"&Contents");
    AppendMenuW(help, MF_STRING, mnuHelpAbout, L"&About");
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(help), L"&Help");

    m_window = CreateWindowExW(0, kClassName, L"Tovana", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, bar, instance, this);
    if (!m_window)
        return false;
    createControls();
    // The natural size: the design at kNaturalScale, at the window's DPI.
    HDC screen = GetDC(m_window);
    const double dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(m_window, screen);
    RECT frame{0, 0, LONG(std::lround(kDesignWidthTwips / double(kTwipsPerPixel) * kNaturalScale * dpi / 96)),
               LONG(std::lround(kDesignHeightTwips / double(kTwipsPerPixel) * kNaturalScale * dpi / 96))};
    AdjustWindowRectEx(&frame, WS_OVERLAPPEDWINDOW, TRUE, 0);
    SetWindowPos(m_window, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER);
    ShowWindow(m_window, show);
    m_runner->activate();
    return true;
}

LRESULT CALLBACK MainWindow::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto *self = static_cast<MainWindow *>(reinterpret_cast<CREATESTRUCTW *>(lParam)->lpCreateParams);
        self->m_window = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto *self = reinterpret_cast<MainWindow *>(GetWindowLongPtrW(window, GWLP_USERDATA));
    return self ? self->handle(message, wParam, lParam) : DefWindowProcW(window, message, wParam, lParam);
}

void MainWindow::createControls()
{
    for (const ControlSpec &spec : layoutTable()) {
        const HMENU id = reinterpret_cast<HMENU>(static_cast<INT_PTR>(spec.id));
        const DWORD shown = WS_CHILD | WS_CLIPSIBLINGS | (spec.visible ? WS_VISIBLE : 0);
        HWND window = nullptr;
        switch (spec.kind) {
        case Kind::Gauge:
            window = createGauge(m_window, spec.id, m_instance);
            ShowWindow(window, spec.visible ? SW_SHOW : SW_HIDE);
            break;
        case Kind::Button:
            window = CreateWindowExW(0, WC_BUTTONW, spec.caption.c_str(), shown | WS_TABSTOP | BS_PUSHBUTTON, 0, 0, 0,
                                     0, m_window, id, m_instance, nullptr);
            break;
        case Kind::Frame:
            window = CreateWindowExW(WS_EX_TRANSPARENT, WC_BUTTONW, spec.caption.c_str(), shown | BS_GROUPBOX, 0, 0, 0,
                                     0, m_window, id, m_instance, nullptr);
            break;
        case Kind::Indicator:
        case Kind::Tx:
            window = CreateWindowExW(WS_EX_CLIENTEDGE, WC_STATICW, spec.caption.c_str(),
                                     shown | SS_CENTER | SS_CENTERIMAGE | SS_NOTIFY, 0, 0, 0, 0, m_window, id,
                                     m_instance, nullptr);
            break;
        case Kind::OffBar:
        case Kind::OnBar:
        case Kind::Lamp:
        case Kind::Label:
        case Kind::Notice:
        case Kind::TripLine:
            window = CreateWindowExW(spec.kind == Kind::OnBar ? WS_EX_STATICEDGE : 0, WC_STATICW, spec.caption.c_str(),
                                     shown | SS_NOPREFIX |
                                         (spec.kind == Kind::TripLine ? SS_LEFT | SS_EDITCONTROL
                                          : spec.kind == Kind::Notice ? SS_CENTERIMAGE | SS_RIGHT
                                                                      : SS_CENTERIMAGE | SS_LEFT),
                                     0, 0, 0, 0, m_window, id, m_instance, nullptr);
            break;
        }
        m_placed.push_back({spec, window});
    }
    // Later entries lie above earlier ones: an indicator over the button it stands for.
    for (const Placed &placed : m_placed)
        SetWindowPos(placed.window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

// Whether every caption of a button or label fits its control in this font at this scale.
bool MainWindow::captionsFit(HFONT font, double scale) const
{
    HDC dc = GetDC(m_window);
    HGDIOBJ before = SelectObject(dc, font);
    bool fit = true;
    for (const Placed &placed : m_placed) {
        if (placed.spec.kind == Kind::Gauge || placed.spec.kind == Kind::Frame || placed.spec.kind == Kind::Notice ||
            placed.spec.kind == Kind::TripLine)
            continue;
        wchar_t text[64];
        const int length = GetWindowTextW(placed.window, text, 64);
        SIZE size{};
        if (length == 0 || !GetTextExtentPoint32W(dc, text, length, &size))
            continue;
        // Room for a button's or an indicator's edges.
        const double margin = placed.spec.kind == Kind::Label ? 1 : 8;
        if (size.cx + margin > placed.spec.twips.right * scale / kTwipsPerPixel ||
            size.cy + 2 > placed.spec.twips.bottom * scale / kTwipsPerPixel) {
            fit = false;
            break;
        }
    }
    SelectObject(dc, before);
    ReleaseDC(m_window, dc);
    return fit;
}

// The panel keeps the design's proportions, centred in the window, its text scaled with it.
void MainWindow::layOut()
{
    RECT area;
    GetClientRect(m_window, &area);
    const double designWidth = kDesignWidthTwips / double(kTwipsPerPixel);
    const double designHeight = kDesignHeightTwips / double(kTwipsPerPixel);
    const double scale = std::min(area.right / designWidth, area.bottom / designHeight);
    if (!(scale > 0))
        return;
    const double originX = (area.right - designWidth * scale) / 2;
    const double originY = (area.bottom - designHeight * scale) / 2;
    const auto pixels = [scale](double twips) { return int(std::lround(twips * scale / kTwipsPerPixel)); };

    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    LOGFONTW font = metrics.lfMessageFont;
    // The text grows with the panel as far as every caption still fits its control.
    HFONT shown = nullptr;
    for (int height = std::max(6, int(std::lround(kDesignFontPixels * scale))); height >= 6; --height) {
        font.lfHeight = -height;
        if (shown)
            DeleteObject(shown);
        shown = CreateFontIndirectW(&font);
        if (height == 6 || captionsFit(shown, scale))
            break;
    }
    HDWP moves = BeginDeferWindowPos(int(m_placed.size()));
    for (const Placed &placed : m_placed) {
        const RECT &t = placed.spec.twips;
        SendMessageW(placed.window, WM_SETFONT, reinterpret_cast<WPARAM>(shown), FALSE);
        moves = DeferWindowPos(moves, placed.window, nullptr, int(std::lround(originX)) + pixels(t.left),
                               int(std::lround(originY)) + pixels(t.top), pixels(t.right), pixels(t.bottom),
                               SWP_NOZORDER | SWP_NOACTIVATE);
    }
    EndDeferWindowPos(moves);
    if (m_font)
        DeleteObject(m_font);
    m_font = shown;
    InvalidateRect(m_window, nullptr, TRUE);
}

LRESULT MainWindow::handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case kShowBandsMessage:
        m_bandsPending = false;
        showBands();
        return 0;
    case WM_SIZE: layOut(); return 0;
    case WM_DPICHANGED: {
        const RECT *suggested = reinterpret_cast<const RECT *>(lParam);
        SetWindowPos(m_window, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                     suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
        return 0;
    }
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED || HIWORD(wParam) == STN_CLICKED || lParam == 0)
            command(LOWORD(wParam));
        return 0;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
        HDC dc = reinterpret_cast<HDC>(wParam);
        const int id = GetDlgCtrlID(reinterpret_cast<HWND>(lParam));
        for (const Placed &placed : m_placed) {
            if (placed.spec.id != id)
                continue;
            COLORREF colour = placed.spec.colour;
            if (placed.spec.kind == Kind::Tx && m_runner->station().holds()) {
                colour = kHeldColour;
                SetTextColor(dc, RGB(255, 255, 255));
            } else if (placed.spec.kind == Kind::Tx && m_runner->station().tx() == station::Tx::Unknown) {
                SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
            }
            if (placed.spec.kind == Kind::Notice || placed.spec.kind == Kind::TripLine) {
                SetTextColor(dc, colour);
                colour = kSystem;
            }
            if (colour == kSystem || placed.spec.kind == Kind::Button)
                break;
            SetBkColor(dc, colour);
            if (placed.spec.kind == Kind::Indicator || placed.spec.kind == Kind::Tx)
                SelectObject(dc, m_font);
            // One brush per colour of the panel, made on first use.
            static std::map<COLORREF, HBRUSH> brushes;
            HBRUSH &brush = brushes[colour];
            if (!brush)
                brush = CreateSolidBrush(colour);
            return reinterpret_cast<LRESULT>(brush);
        }
        SetBkMode(dc, TRANSPARENT);
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    }
    case WM_PAINT: paintTripFrames(); return 0;
    case WM_CLOSE: {
        // A refused save keeps the window open once, so the operator learns of it before
        // the program ends; closing again ends it without saving.
        const bool firstAttempt = !m_closeDespiteFailedSave;
        m_closeDespiteFailedSave = true;
        if (!m_runner->save() && firstAttempt)
            return 0;
        DestroyWindow(m_window);
        return 0;
    }
    case WM_DESTROY: PostQuitMessage(0); return 0;
    default: break;
    }
    return DefWindowProcW(m_window, message, wParam, lParam);
}

void MainWindow::command(int id)
{
    station::Station &s = m_runner->station();
    id = coveredButton(id);
    for (int n = 1; n <= station::kRelayCount; ++n)
        if (id == relayButtonId(n))
            return m_runner->perform(s.switchRelay(n));
    for (int b = 0; b < station::kBandCount; ++b)
        if (id == commandId(kBandButtonCommands[b]))
            return m_runner->perform(s.chooseBand(b + 1));
    switch (id) {
    case commandId(kFollowOffButton): m_runner->perform(s.setFollowing(false)); break;
    case commandId(kFollowOnButton): m_runner->perform(s.setFollowing(true)); break;
    case mnuExit: PostMessageW(m_window, WM_CLOSE, 0, 0); break;
    case mnuHelpContents: openHelp(); break;
    case mnuHelpAbout: showAbout(); break;
    case mnuSetup: showSetup(); break;
    case kLimitAck:
        if (const int meter = s.latestTrip(); meter >= 0)
            m_runner->perform(s.acknowledge(meter));
        break;
    default: break;
    }
}

// The main window steps aside while the about box is open; shown again, it runs the
// activation, as at every showing by the program.
void MainWindow::showAbout()
{
    if (!showAboutBox(m_instance, m_window, dialogFont(), [this] {
            ShowWindow(m_window, SW_SHOW);
            SetForegroundWindow(m_window);
            m_runner->activate();
        }))
        return;
    ShowWindow(m_window, SW_HIDE);
}

// As with the about box, the main window steps aside while the setup dialog is open and runs
// the activation when it comes back (new port settings take effect then).
void MainWindow::showSetup()
{
    if (!showSetupDialog(m_instance, m_window, dialogFont(), *m_runner, [this] {
            ShowWindow(m_window, SW_SHOW);
            SetForegroundWindow(m_window);
            m_runner->activate();
        }))
        return;
    ShowWindow(m_window, SW_HIDE);
}

HFONT MainWindow::dialogFont()
{
    if (!m_dialogFont) {
        NONCLIENTMETRICSW metrics{};
        metrics.cbSize = sizeof metrics;
        SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
        m_dialogFont = CreateFontIndirectW(&metrics.lfMessageFont);
    }
    return m_dialogFont;
}

// The help page installed beside the program, in the default browser.
void MainWindow::openHelp()
{
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring page(path, length);
    page = page.substr(0, page.find_last_of(L'\\') + 1) + L"help\\index.html";
    if (GetFileAttributesW(page.c_str()) == INVALID_FILE_ATTRIBUTES) {
        tellOperator("The help file could not be found: " + narrow(page));
        return;
    }
    const auto result =
        reinterpret_cast<INT_PTR>(ShellExecuteW(m_window, L"open", page.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    if (result <= 32)
        tellOperator("The help file cannot be shown: " + systemMessage(GetLastError()) + "\nThe help file is " +
                     narrow(page));
}

void MainWindow::show(int id, bool shown) const
{
    ShowWindow(control(id), shown ? SW_SHOWNA : SW_HIDE);
}

// -- The views of the station

void MainWindow::stationChanged(station::StationChange change, int index)
{
    using station::StationChange;
    switch (change) {
    case StationChange::Meter: showMeter(index); break;
    case StationChange::Readings: showReadings(); break;
    case StationChange::Relay: showRelay(index); break;
    case StationChange::Bands:
        // Shown once this rule's bytes are on their way: under Wine each indicator shown or
        // hidden repaints at once, and the band relays would wait for it.
        if (!m_bandsPending)
            m_bandsPending = PostMessageW(m_window, kShowBandsMessage, 0, 0);
        break;
    case StationChange::Following: showFollowing(); break;
    case StationChange::Hold: showHold(); break;
    case StationChange::Board: showBoard(); break;
    case StationChange::Lamps: showLamps(); break;
    case StationChange::Trip: showTrips(); break;
    case StationChange::Link:
    case StationChange::Port:
    case StationChange::Response:
    case StationChange::Limit: break;
    case StationChange::All:
        showWindowPlace();
        for (int i = 0; i < station::kMeterCount; ++i)
            showMeter(i);
        for (int n = 1; n <= station::kRelayCount; ++n)
            showRelay(n);
        showBands();
        showFollowing();
        showHold();
        showBoard();
        showTrips();
        layOut(); // the relays' labels may ask for a smaller text
        break;
    }
}

void MainWindow::showMeter(int index)
{
    const station::Station &s = m_runner->station();
    setGaugeLook(control(gaugeId(index)), {s.meter(index), s.reading(index), s.noReading()});
}

void MainWindow::showReadings()
{
    for (int i = 0; i < station::kMeterCount; ++i)
        showMeter(i);
}

void MainWindow::showRelay(int relay)
{
    const station::RelayConfig &config = m_runner->station().relay(relay);
    SetWindowTextW(control(relayButtonId(relay)), widen(config.label).value_or(L"").c_str());
    show(relayLampIdOf(relay), config.status);
}

void MainWindow::showBands()
{
    const station::Station &s = m_runner->station();
    for (int position = 1; position <= station::kBandCount; ++position)
        show(commandId(kBandIndicatorCommands[position - 1]), s.bandShown(position));
    SetWindowTextW(control(labelId(2)), widen(s.bandCode()).value_or(L"").c_str());
}

void MainWindow::showFollowing()
{
    const bool on = m_runner->station().following();
    show(commandId(kFollowOnIndicator), on);
    show(commandId(kFollowOffIndicator), !on);
}

void MainWindow::showHold()
{
    show(commandId(kTxIndicator), m_runner->station().holdWhileTx());
    InvalidateRect(control(commandId(kTxIndicator)), nullptr, TRUE);
}

void MainWindow::showBoard()
{
    const station::Station &s = m_runner->station();
    const bool gone = s.board() == station::BoardState::Gone;
    if (s.noReading())
        SetWindowTextW(control(labelId(3)), gone ? L"The board is gone" : L"No reply from the board");
    show(labelId(3), s.noReading());
    showReadings();
}

void MainWindow::showLamps()
{
    const bool a = m_runner->station().lampALit();
    show(pictureId(3), a);
    show(pictureId(5), !a);
}

// The latest latched trip on the line under the panel, with "Acknowledge"; each tripped
// gauge framed in red.
void MainWindow::showTrips()
{
    const station::Station &s = m_runner->station();
    const int latest = s.latestTrip();
    if (latest >= 0) {
        const std::string line = s.latestTripLine(timeOfDay(s.trip(latest).at));
        SetWindowTextW(control(kLimitTrip), widen(line).value_or(L"").c_str());
    }
    show(kLimitTrip, latest >= 0);
    show(kLimitAck, latest >= 0);
    InvalidateRect(m_window, nullptr, TRUE);
}

void MainWindow::paintTripFrames()
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(m_window, &paint);
    static HBRUSH red = CreateSolidBrush(kTripColour);
    for (int i = 0; i < station::kMeterCount; ++i) {
        if (!m_runner->station().trip(i).latched)
            continue;
        RECT place;
        GetWindowRect(control(gaugeId(i)), &place);
        MapWindowPoints(nullptr, m_window, reinterpret_cast<POINT *>(&place), 2);
        for (int edge = 1; edge <= kTripFramePixels; ++edge) {
            InflateRect(&place, 1, 1);
            FrameRect(dc, &place, red);
        }
    }
    EndPaint(m_window, &paint);
}

// -- The window's place and size, as stored

void MainWindow::showWindowPlace()
{
    const station::Station &s = m_runner->station();
    RECT frame;
    GetWindowRect(m_window, &frame);
    int width = frame.right - frame.left, height = frame.bottom - frame.top;
    if (s.windowSize().isValid()) {
        RECT wanted{0, 0, LONG(std::lround(s.windowSize().width / kTwipsPerPixel)),
                    LONG(std::lround(s.windowSize().height / kTwipsPerPixel))};
        AdjustWindowRectEx(&wanted, WS_OVERLAPPEDWINDOW, TRUE, 0);
        width = wanted.right - wanted.left;
        height = wanted.bottom - wanted.top;
    }
    // A stored place out of reach comes back on the nearest screen.
    RECT place{LONG(s.windowPosition().left / kTwipsPerPixel), LONG(s.windowPosition().top / kTwipsPerPixel), 0, 0};
    place.right = place.left + width;
    place.bottom = place.top + height;
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromRect(&place, MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT &work = monitor.rcWork;
    width = std::min<int>(width, work.right - work.left);
    height = std::min<int>(height, work.bottom - work.top);
    const int left = std::clamp<int>(place.left, work.left, work.right - width);
    const int top = std::clamp<int>(place.top, work.top, work.bottom - height);
    SetWindowPos(m_window, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void MainWindow::rememberWindowPlace()
{
    if (!m_window)
        return;
    RECT frame, area;
    GetWindowRect(m_window, &frame);
    GetClientRect(m_window, &area);
    m_runner->station().setWindow({double(frame.left * kTwipsPerPixel), double(frame.top * kTwipsPerPixel)},
                                  {double(area.right * kTwipsPerPixel), double(area.bottom * kTwipsPerPixel)});
}

} // namespace tovana::win32::app
