// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// Seeding, loading, scaling and saving of the station's settings over the two-call store.
// These functions hold every key, default, order and text form of the store; reals are
// written with the decimal separator given and read with either.
#pragma once

#include "Records.h"
#include "Store.h"

#include <array>
#include <string>

namespace tovana::station {

// What seeding takes from the station at the moment it runs.
struct SeedValues {
    std::array<std::string, kRelayCount> relayLabels; // the relay buttons' captions
    WindowPosition position;                          // current left and top, twips
};

// Writes the default of every catalogue key that reads "" (143 keys from an empty store),
// in catalogue order, then commits. A complete store is only read, nothing written.
// False (see store.error()) when the store refused the write.
bool RegInit(Store &store, const SeedValues &seed, char separator = '.');

// Reads every key the loader uses, the window size from [Window] and the hold from
// [Interlock]. A text that does not convert gives the catalogue default for that value (the
// store is not rewritten); positions that do not convert keep `current`; a size that does
// not leaves it unset.
Preferences GetPreferences(const Store &store, const WindowPosition &current);

// The multiplier texts "Multiplier0".."Multiplier7" as stored, and the scaling derived from
// them and the meters' scales.
struct ScalingTable {
    std::array<std::string, kMeterCount> multipliers;
    std::array<MeterScaling, kMeterCount> scaling;
};
ScalingTable GetMultiplier(const Store &store, const std::array<MeterConfig, kMeterCount> &meters);
MeterScaling scalingFor(const std::string &multiplier, double scaleMin, double scaleMax);

// Writes the whole set (every key but the multipliers, plus "Start-Annular2-Gauge"+i) in
// the save order, a set window size under [Window] and the hold under [Interlock], then
// commits. False when the store refused the write.
bool SaveSettings(Store &store, const Preferences &state, char separator = '.');

// Stores one meter's multiplier at once ("Multiplier"+i) and commits. False for a meter
// outside 0..7, a multiplier that is not finite, or a refused write.
bool SaveMultiplier(Store &store, int meter, double multiplier, char separator = '.');

} // namespace tovana::station
