// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "KeyCatalogue.h"
#include "Preferences.h"
#include "SettingsStore.h"

namespace tovana {

Preferences GetPreferences(const SettingsStore &store, const WindowPosition &current)
{
    Preferences prefs;
    prefs.position = current;
    forEachKey(Loaded, [&](const CatalogueKey &key) {
        const FieldRef field = key.row.field(prefs, key.element);
        // A hand-edited text that does not convert costs only that one value.
        if (!parseField(key.row.form, store.GetSetting(key.name), field) && key.row.defaultText)
            parseField(key.row.form, QString::fromLatin1(key.row.defaultText), field);
    });
    // A size that does not convert, or is no size, leaves the window its natural one.
    WindowSize size;
    if (parseReal(store.GetSetting(kWindowSection, kWindowWidthKey), &size.width)
        && parseReal(store.GetSetting(kWindowSection, kWindowHeightKey), &size.height) && size.isValid())
        prefs.size = size;
    // A text that is no Boolean leaves the interlock off.
    parseBool(store.GetSetting(kInterlockSection, kHoldWhileTxKey), &prefs.interlock.holdWhileTx);
    // The stored start of annulus 2 is ignored: it always starts at the scale minimum.
    for (MeterConfig &meter : prefs.meters)
        meter.bands[0].start = meter.scaleMin;
    return prefs;
}

} // namespace tovana
