// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "KeyCatalogue.h"
#include "Preferences.h"
#include "SettingsStore.h"

namespace tovana {

bool RegInit(SettingsStore &store, const SeedValues &seed)
{
    // Labels and position default to what the main window shows right now.
    Preferences window;
    for (int n = 0; n < kRelayCount; ++n)
        window.relays[n].label = seed.relayCaptions[n];
    window.position = seed.position;

    int written = 0;
    forEachKey(Seeded, [&](const CatalogueKey &key) {
        if (!store.GetSetting(key.name).isEmpty())
            return;
        store.SaveSetting(key.name, key.row.defaultText
                                        ? QString::fromLatin1(key.row.defaultText)
                                        : formatField(key.row.form, key.row.field(window, key.element)));
        ++written;
    });
    // A complete store is only read: the file is not even rewritten.
    return written == 0 || store.commit();
}

} // namespace tovana
