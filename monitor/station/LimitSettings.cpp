// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "LimitSettings.h"

#include "TextForms.h"

#include <sstream>

namespace tovana::station {

namespace {

std::string key(const char *name, int meter)
{
    return name + std::to_string(meter);
}

std::optional<LimitKind> parseKind(std::string_view text)
{
    text = trimmed(text);
    if (text == "Off" || text.empty())
        return LimitKind::Off;
    if (text == "Above")
        return LimitKind::Above;
    if (text == "Below")
        return LimitKind::Below;
    return std::nullopt;
}

const char *kindText(LimitKind kind)
{
    switch (kind) {
    case LimitKind::Above: return "Above";
    case LimitKind::Below: return "Below";
    case LimitKind::Off: break;
    }
    return "Off";
}

} // namespace

std::string formatAction(const std::array<RelayMove, kRelayCount> &action)
{
    std::string text;
    for (int n = 1; n <= kRelayCount; ++n) {
        if (action[n - 1] == RelayMove::Leave)
            continue;
        if (!text.empty())
            text += ' ';
        text += std::to_string(n) + (action[n - 1] == RelayMove::On ? "=On" : "=Off");
    }
    return text;
}

bool parseAction(const std::string &text, std::array<RelayMove, kRelayCount> &action)
{
    std::array<RelayMove, kRelayCount> read{};
    std::istringstream words(text);
    std::string word;
    while (words >> word) {
        const auto equals = word.find('=');
        if (equals == std::string::npos)
            return false;
        const auto relay = parseInteger(std::string_view(word).substr(0, equals), 1, kRelayCount);
        const std::string_view move = std::string_view(word).substr(equals + 1);
        if (!relay || (move != "On" && move != "Off"))
            return false;
        read[*relay - 1] = move == "On" ? RelayMove::On : RelayMove::Off;
    }
    action = read;
    return true;
}

LimitTable loadLimits(const Store &store, std::vector<std::string> &problems, UnreadableLimits *unreadable)
{
    LimitTable limits;
    if (unreadable)
        unreadable->fill(false);
    for (int i = 0; i < kMeterCount; ++i) {
        const auto text = [&](const char *name) { return store.get(kLimitsSection, key(name, i)).value_or(""); };
        const auto kind = parseKind(text("Limit"));
        if (!kind || *kind == LimitKind::Off) {
            if (!kind) {
                problems.push_back(key("Limit", i) + "=" + text("Limit"));
                if (unreadable)
                    (*unreadable)[i] = true;
            }
            continue;
        }
        LimitConfig limit;
        limit.kind = *kind;
        const auto value = parseReal(text("Value"));
        const auto readings = parseInteger(text("Readings"), 1, LimitConfig::kMaxReadings);
        const auto whileTx = parseBool(text("WhileTx"));
        const bool action = parseAction(text("Action"), limit.action);
        // A limit half understood could trip at the wrong reading or switch the wrong
        // relay: it stays off, and the operator is told which text to mend.
        const char *bad = !value      ? "Value"
                          : !readings ? "Readings"
                          : !whileTx  ? "WhileTx"
                          : !action   ? "Action"
                                      : nullptr;
        if (bad) {
            problems.push_back(key(bad, i) + "=" + text(bad));
            if (unreadable)
                (*unreadable)[i] = true;
            continue;
        }
        limit.value = *value;
        limit.readings = static_cast<int>(*readings);
        limit.onlyWhileTx = *whileTx;
        limits[i] = limit;
    }
    return limits;
}

void saveLimits(Store &store, const LimitTable &limits, char separator, const UnreadableLimits &keep)
{
    for (int i = 0; i < kMeterCount; ++i) {
        if (keep[i])
            continue;
        const LimitConfig &limit = limits[i];
        store.save(kLimitsSection, key("Limit", i), kindText(limit.kind));
        // An unused limit keeps whatever it had, so switching it on again finds it.
        if (limit.kind == LimitKind::Off)
            continue;
        store.save(kLimitsSection, key("Value", i), formatReal(limit.value, 15, separator));
        store.save(kLimitsSection, key("Readings", i), std::to_string(limit.readings));
        store.save(kLimitsSection, key("WhileTx", i), formatBool(limit.onlyWhileTx));
        store.save(kLimitsSection, key("Action", i), formatAction(limit.action));
    }
}

} // namespace tovana::station
