// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "Settings.h"

#include "KeyCatalogue.h"
#include "TextForms.h"

#include <cmath>

namespace tovana::station {

namespace {

constexpr double kFullReading = 255; // largest raw reading, one byte

std::string stored(const Store &store, const std::string &section, const std::string &key)
{
    return store.get(section, key).value_or(std::string());
}

} // namespace

bool RegInit(Store &store, const SeedValues &seed, char separator)
{
    // Labels and position default to what the station shows right now.
    Preferences now;
    for (int n = 0; n < kRelayCount; ++n)
        now.relays[n].label = seed.relayLabels[n];
    now.position = seed.position;

    int written = 0;
    forEachKey(Seeded, [&](const CatalogueKey &key) {
        if (!stored(store, kStartUpSection, key.name).empty())
            return;
        store.save(kStartUpSection, key.name,
                   key.row.defaultText ? std::string(key.row.defaultText)
                                       : formatField(key.row.form, key.row.field(now, key.element), separator));
        ++written;
    });
    // A complete store is only read: nothing is even rewritten.
    return written == 0 || store.commit();
}

Preferences GetPreferences(const Store &store, const WindowPosition &current)
{
    Preferences prefs;
    prefs.position = current;
    forEachKey(Loaded, [&](const CatalogueKey &key) {
        const FieldRef field = key.row.field(prefs, key.element);
        // A hand-edited text that does not convert costs only that one value.
        if (!parseField(key.row.form, stored(store, kStartUpSection, key.name), field) && key.row.defaultText)
            parseField(key.row.form, key.row.defaultText, field);
    });
    // A size that does not convert, or is no size, leaves the window its natural one.
    const auto width = parseReal(stored(store, kWindowSection, kWindowWidthKey));
    const auto height = parseReal(stored(store, kWindowSection, kWindowHeightKey));
    if (width && height && WindowSize{*width, *height}.isValid())
        prefs.size = {*width, *height};
    // A text that is no Boolean leaves the hold off.
    prefs.interlock.holdWhileTx = parseBool(stored(store, kInterlockSection, kHoldWhileTxKey)).value_or(false);
    // The stored start of annulus 2 is ignored: it always starts at the scale minimum.
    for (MeterConfig &meter : prefs.meters)
        meter.bands[0].start = meter.scaleMin;
    return prefs;
}

MeterScaling scalingFor(const std::string &multiplier, double scaleMin, double scaleMax)
{
    MeterScaling s;
    s.scaleMin = scaleMin;
    const auto m = parseReal(multiplier);
    const double span = scaleMax - scaleMin;
    // A zero span or multiplier leaves factor and offset undefined: such a meter shows its
    // scale minimum rather than a division by zero.
    if (!m || *m == 0 || span == 0 || !std::isfinite(span))
        return s;
    s.factor = *m * span / kFullReading;
    s.offset = (scaleMin / span) * kFullReading / *m;
    s.valid = std::isfinite(s.factor) && std::isfinite(s.offset);
    return s;
}

ScalingTable GetMultiplier(const Store &store, const std::array<MeterConfig, kMeterCount> &meters)
{
    ScalingTable table;
    for (int k = 0; k < kMeterCount; ++k) {
        table.multipliers[k] = stored(store, kStartUpSection, multiplierKey(k));
        table.scaling[k] = scalingFor(table.multipliers[k], meters[k].scaleMin, meters[k].scaleMax);
    }
    return table;
}

bool SaveSettings(Store &store, const Preferences &state, char separator)
{
    // The catalogue's accessors locate fields in a mutable record; the save only reads.
    Preferences fields = state;
    forEachKey(Saved, [&](const CatalogueKey &key) {
        store.save(kStartUpSection, key.name, formatField(key.row.form, key.row.field(fields, key.element), separator));
    });
    if (state.size.isValid()) {
        store.save(kWindowSection, kWindowWidthKey, formatReal(state.size.width, 7, separator));
        store.save(kWindowSection, kWindowHeightKey, formatReal(state.size.height, 7, separator));
    }
    store.save(kInterlockSection, kHoldWhileTxKey, formatBool(state.interlock.holdWhileTx));
    return store.commit();
}

bool SaveMultiplier(Store &store, int meter, double multiplier, char separator)
{
    if (meter < 0 || meter >= kMeterCount || !std::isfinite(multiplier))
        return false;
    store.save(kStartUpSection, multiplierKey(meter), formatReal(multiplier, 15, separator));
    return store.commit();
}

} // namespace tovana::station
