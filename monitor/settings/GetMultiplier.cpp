// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "KeyCatalogue.h"
#include "Preferences.h"
#include "SettingsStore.h"

#include <cmath>

namespace tovana {
namespace {

constexpr double kFullReading = 255;  // largest raw reading, one byte

MeterScaling scalingFor(const QString &multiplierText, const Scale &scale)
{
    MeterScaling s;
    s.scaleMin = scale.min;
    double m = 0;
    const double span = scale.max - scale.min;
    // A zero span or multiplier leaves factor and offset undefined: such a meter shows its
    // scale minimum rather than a division by zero.
    if (!parseReal(multiplierText, &m) || m == 0 || span == 0 || !std::isfinite(span))
        return s;
    s.factor = m * span / kFullReading;
    s.offset = (scale.min / span) * kFullReading / m;
    s.valid = std::isfinite(s.factor) && std::isfinite(s.offset);
    return s;
}

} // namespace

double MeterScaling::value(int raw) const
{
    return valid ? (raw + offset) * factor : scaleMin;
}

ScalingTable GetMultiplier(const SettingsStore &store, const std::array<Scale, kMeterCount> &scales)
{
    ScalingTable table;
    for (int k = 0; k < kMeterCount; ++k) {
        table.multipliers[k] = store.GetSetting(multiplierKey(k));
        table.scaling[k] = scalingFor(table.multipliers[k], scales[k]);
    }
    return table;
}

} // namespace tovana
