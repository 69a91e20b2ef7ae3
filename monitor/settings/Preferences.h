// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// Seeding, loading, scaling and saving of the monitor's settings, on plain records.
// The main window gathers the records from its widgets and applies them back; these
// functions hold every key, default, order and text form of the store.
#pragma once

#include "Records.h"
#include <QStringList>

namespace tovana {

class SettingsStore;

// What seeding takes from the main window at the moment it runs.
struct SeedValues {
    std::array<QString, kRelayCount> relayCaptions;  // captions of Command2..Command13
    WindowPosition position;                         // current left and top, twips
};

// Writes the default of every catalogue key that reads "" (143 keys from an empty store),
// in catalogue order, then commits. A complete store is only read, the file left as it is.
// False (see store.errorString()) when the store refused the write.
bool RegInit(SettingsStore &store, const SeedValues &seed);

// Reads every key the loader uses, the window size from [Window] and the interlock from
// [Interlock]. A text that does
// not convert gives the catalogue default for that value (the store is not rewritten);
// positions that do not convert keep `current`; a size that does not leaves it unset.
Preferences GetPreferences(const SettingsStore &store, const WindowPosition &current);

// The scale of one gauge as it holds it now.
struct Scale {
    double min = 0;
    double max = 0;
};

// Multiplier texts "Multiplier0".."Multiplier7" as stored, and the scaling derived from
// them and the gauges' scales.
struct ScalingTable {
    std::array<QString, kMeterCount> multipliers;
    std::array<MeterScaling, kMeterCount> scaling;
};
ScalingTable GetMultiplier(const SettingsStore &store, const std::array<Scale, kMeterCount> &scales);

// Writes the whole set (every key but the multipliers, plus "Start-Annular2-Gauge"+i)
// in the save order, a set window size under [Window] and the interlock under
// [Interlock], then commits atomically. False when the store refused the write.
bool SaveSettings(SettingsStore &store, const Preferences &state);

// Stores one meter's multiplier at once ("Multiplier"+i), as the setup dialog does, and
// commits. False for a meter outside 0..7, a multiplier that is not finite, or a refused write.
bool SaveMultiplier(SettingsStore &store, int meter, double multiplier);

// Stored text forms: shortest decimal text with a point and at most `digits` significant
// digits ("3", "4.5"); "True"/"False". Reading accepts a point or a comma (not both), blanks
// around the text, and "true"/"false" in any case; infinities and NaN do not convert.
QString formatReal(double value, int digits = 15);
QString formatBool(bool value);
bool parseReal(const QString &text, double *value);
bool parseBool(const QString &text, bool *value);

} // namespace tovana
