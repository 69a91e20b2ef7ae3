// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "StationRunner.h"

#include "BoardProtocol.h"
#include "KeyCatalogue.h"
#include "LimitSettings.h"
#include "Settings.h"

#include <chrono>

namespace tovana::win32::app {

namespace {

enum TimerId : UINT_PTR { kSettle = 1, kReply, kTick, kReopen };

const wchar_t kTimerClass[] = L"TovanaStationTimers";

// The user's decimal separator: reals are written as the earlier program wrote them.
char userDecimalSeparator()
{
    wchar_t text[8] = {};
    if (GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, text, 8) > 0 && text[0] > 0 && text[0] < 128)
        return char(text[0]);
    return '.';
}

// A bounded busy wait for delays too short for any timer (a few hundred microseconds).
void spinFor(int microseconds)
{
    const auto until = std::chrono::steady_clock::now() + std::chrono::microseconds(microseconds);
    while (std::chrono::steady_clock::now() < until) {
    }
}

} // namespace

StationRunner::StationRunner(std::function<void(const std::string &)> message, bool subscribe)
    : m_station(userDecimalSeparator())
    , m_message(std::move(message))
    , m_line({[this](std::string_view bytes) { perform(m_station.bytesReceived(bytes)); },
              [this](const std::string &reason) { portLost(reason); }})
    , m_link({[this] { perform(m_station.setLinkAway(false)); },
              [this](const std::string &) { perform(m_station.setLinkAway(true)); },
              [this](ComLink::Field field, std::int32_t value) {
                  perform(field == ComLink::Field::Band ? m_station.linkBand(value) : m_station.linkPtt(value));
              },
              [this](ComLink::Field field, std::optional<std::int32_t> value, const std::string &) {
                  // A failed read of Band changes nothing; one of PTT releases the hold.
                  if (field == ComLink::Field::Band && value)
                      perform(m_station.linkBand(*value));
                  else if (field == ComLink::Field::PTT)
                      perform(value ? m_station.linkPtt(*value) : m_station.linkPttUnknown());
              }},
             [subscribe] {
                 ComLink::Options options;
                 options.subscribe = subscribe;
                 return options;
             }())
{
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW type{};
    type.lpfnWndProc = timerProcedure;
    type.hInstance = instance;
    type.lpszClassName = kTimerClass;
    RegisterClassW(&type);
    m_timers = CreateWindowExW(0, kTimerClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, this);
    // Trips are stamped with the system's time, milliseconds since 1970.
    m_station.setClock([] {
        FILETIME now;
        GetSystemTimeAsFileTime(&now);
        const std::int64_t ticks = std::int64_t(now.dwHighDateTime) << 32 | now.dwLowDateTime; // 100 ns since 1601
        return ticks / 10000 - 11644473600000;
    });
    m_station.addObserver(this);
}

StationRunner::~StationRunner()
{
    m_station.removeObserver(this);
    if (m_timers)
        DestroyWindow(m_timers);
}

LRESULT CALLBACK StationRunner::timerProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE)
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW *>(lParam)->lpCreateParams));
    if (message == WM_TIMER) {
        if (auto *runner = reinterpret_cast<StationRunner *>(GetWindowLongPtrW(window, GWLP_USERDATA)))
            runner->timerElapsed(wParam);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void StationRunner::timerElapsed(UINT_PTR id)
{
    switch (id) {
    case kSettle:
        KillTimer(m_timers, kSettle);
        perform(m_station.settleElapsed());
        break;
    case kReply:
        KillTimer(m_timers, kReply);
        perform(m_station.replyTimeout());
        break;
    case kTick: tick(); break;
    case kReopen: openPort(true); break;
    default: break;
    }
}

void StationRunner::activate()
{
    if (m_beforeSave)
        m_beforeSave();
    const char separator = m_station.decimalSeparator();
    if (!station::RegInit(m_store, m_station.seedValues(), separator))
        m_message("The default settings could not be saved: " + m_store.error());
    const station::Preferences prefs = station::GetPreferences(m_store, m_station.windowPosition());
    m_line.close();
    if (m_station.portOpen())
        perform(m_station.portClosed(false));
    m_station.load(prefs, station::GetMultiplier(m_store, prefs.meters));
    std::vector<std::string> problems;
    station::UnreadableLimits unreadable;
    m_station.setLimits(station::loadLimits(m_store, problems, &unreadable));
    m_unreadableLimits = unreadable; // after setLimits, whose notices would clear them
    if (!problems.empty())
        m_message("These limits could not be read and are off:\n" + problems.front() +
                  (problems.size() > 1 ? " (and " + std::to_string(problems.size() - 1) + " more)" : ""));
    if (!m_activated) {
        std::string error;
        if (!m_link.start(&error))
            m_message("The link server cannot be reached: " + error);
        perform(m_station.setFollowing(false));
        SetTimer(m_timers, kTick, kTickMs, nullptr);
    }
    m_activated = true;
    KillTimer(m_timers, kReopen);
    openPort(false);
}

// The first opening says why the port could not open; from then on it is tried again
// quietly, as a port that failed under the cycle is, so that a board plugged in later is
// taken up by itself.
void StationRunner::openPort(bool retry)
{
    const station::PortConfig &port = m_station.port();
    if (!m_line.open(port.number, port.settings)) {
        if (!retry) {
            m_message("COM " + std::to_string(port.number) + ": not available. Check Comm Port setting.\n" +
                      m_line.error());
            SetTimer(m_timers, kReopen, kReopenMs, nullptr);
        }
        return;
    }
    KillTimer(m_timers, kReopen);
    perform(m_station.portOpened());
}

void StationRunner::portLost(const std::string &reason)
{
    perform(m_station.portClosed(true, reason));
    SetTimer(m_timers, kReopen, kReopenMs, nullptr);
}

// Band while following and PTT while the hold or a limit needs it are read on every tick: the fallback
// for a server whose announcements do not come.
void StationRunner::tick()
{
    perform(m_station.tick());
    if (m_station.following())
        m_link.read(ComLink::Field::Band);
    if (m_station.wantsTx())
        m_link.read(ComLink::Field::PTT);
}

void StationRunner::perform(station::Outcome outcome)
{
    if (!outcome.refusal.empty()) {
        m_message(outcome.refusal);
        return;
    }
    if (outcome.closePort)
        m_line.close();
    using Kind = station::LineAction::Kind;
    for (const station::LineAction &action : outcome.line) {
        switch (action.kind) {
        case Kind::Write:
            if (!m_line.write(action.bytes))
                return;
            break;
        case Kind::DiscardInput: m_line.discardInput(); break;
        case Kind::SpinSettle: spinFor(action.amount); break;
        case Kind::StartSettleTimer: SetTimer(m_timers, kSettle, UINT(action.amount), nullptr); break;
        case Kind::StopSettleTimer: KillTimer(m_timers, kSettle); break;
        case Kind::StartReplyTimer:
            SetTimer(m_timers, kReply, station::BoardProtocol::kReplyPatienceMs, nullptr);
            break;
        case Kind::StopReplyTimer: KillTimer(m_timers, kReply); break;
        }
    }
    if (outcome.save)
        save();
    if (!outcome.notice.empty())
        m_message(outcome.notice);
}

bool StationRunner::save()
{
    if (m_beforeSave)
        m_beforeSave();
    station::saveLimits(m_store, m_station.limits(), '.', m_unreadableLimits);
    if (station::SaveSettings(m_store, m_station.preferences(), m_station.decimalSeparator()))
        return true;
    m_message("The settings could not be saved: " + m_store.error());
    return false;
}

// A limit set anew replaces the text that could not be read.
void StationRunner::stationChanged(station::StationChange change, int index)
{
    if (change == station::StationChange::Limit && index >= 0)
        m_unreadableLimits[std::size_t(index)] = false;
}

bool StationRunner::saveMultiplier(int meter, double multiplier)
{
    if (!station::SaveMultiplier(m_store, meter, multiplier, m_station.decimalSeparator())) {
        m_message("The multiplier could not be saved: " + m_store.error());
        return false;
    }
    m_station.setMultiplier(meter, m_store.get(station::kStartUpSection, station::multiplierKey(meter)).value_or(""));
    return true;
}

} // namespace tovana::win32::app
