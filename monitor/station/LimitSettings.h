// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The limits in the store's own [Limits] section, apart from [StartUp]: per meter i,
// "Limit<i>" (Off, Above, Below), "Value<i>", "Readings<i>", "WhileTx<i>" and "Action<i>"
// (relay moves such as "1=Off 3=On"). A text edited into nonsense leaves that limit off and
// is named in `problems`; nothing throws.
#pragma once

#include "Limits.h"
#include "Store.h"

#include <array>
#include <string>
#include <vector>

namespace tovana::station {

inline const std::string kLimitsSection = "Limits";

using LimitTable = std::array<LimitConfig, kMeterCount>;

// The meters whose texts could not be read: their limits are off, and a save leaves their
// texts as the operator wrote them until a limit is set for them anew.
using UnreadableLimits = std::array<bool, kMeterCount>;

LimitTable loadLimits(const Store &store, std::vector<std::string> &problems, UnreadableLimits *unreadable = nullptr);
void saveLimits(Store &store, const LimitTable &limits, char separator = '.', const UnreadableLimits &keep = {});

// The action as stored ("1=Off 3=On"), and back; nothing for a text that is no action.
std::string formatAction(const std::array<RelayMove, kRelayCount> &action);
bool parseAction(const std::string &text, std::array<RelayMove, kRelayCount> &action);

} // namespace tovana::station
