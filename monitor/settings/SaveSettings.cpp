// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "KeyCatalogue.h"
#include "Preferences.h"
#include "SettingsStore.h"

#include <cmath>

namespace tovana {

bool SaveSettings(SettingsStore &store, const Preferences &state)
{
    // The catalogue's accessors locate fields in a mutable record; the save only reads.
    Preferences &fields = const_cast<Preferences &>(state);
    forEachKey(Saved, [&](const CatalogueKey &key) {
        store.SaveSetting(key.name, formatField(key.row.form, key.row.field(fields, key.element)));
    });
    if (state.size.isValid()) {
        store.SaveSetting(kWindowSection, kWindowWidthKey, formatReal(state.size.width, 7));
        store.SaveSetting(kWindowSection, kWindowHeightKey, formatReal(state.size.height, 7));
    }
    store.SaveSetting(kInterlockSection, kHoldWhileTxKey, formatBool(state.interlock.holdWhileTx));
    return store.commit();
}

bool SaveMultiplier(SettingsStore &store, int meter, double multiplier)
{
    if (meter < 0 || meter >= kMeterCount || !std::isfinite(multiplier))
        return false;
    store.SaveSetting(multiplierKey(meter), formatReal(multiplier));
    return store.commit();
}

} // namespace tovana
