// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// Test helper: writes to the settings store in $XDG_CONFIG_HOME and then dies by SIGKILL,
// with no destructor or exit handler run.
//   save-then-die <caption>  seeds, saves a state whose gauges all read <caption>, dies
//   die-mid-save <caption>   writes <caption> into every gauge caption, dies before commit
#include "Settings.h"
#include "SettingsStore.h"

#include <csignal>
#include <cstdio>
#include <cstring>

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s save-then-die|die-mid-save CAPTION\n", argv[0]);
        return 1;
    }
    const QString caption = QString::fromLocal8Bit(argv[2]);
    tovana::SettingsStore store;
    if (std::strcmp(argv[1], "save-then-die") == 0) {
        tovana::station::SeedValues seed;
        for (int n = 0; n < tovana::station::kRelayCount; ++n)
            seed.relayLabels[n] = "Relay" + std::to_string(n + 1);
        tovana::station::Preferences state = tovana::station::GetPreferences(store, seed.position);
        for (tovana::station::MeterConfig &meter : state.meters)
            meter.caption = caption.toStdString();
        if (!tovana::station::RegInit(store, seed) || !tovana::station::SaveSettings(store, state)) {
            std::fprintf(stderr, "%s\n", qPrintable(store.errorString()));
            return 2;
        }
    } else if (std::strcmp(argv[1], "die-mid-save") == 0) {
        for (int i = 0; i < tovana::station::kMeterCount; ++i)
            store.SaveSetting(QStringLiteral("Caption-Gauge%1").arg(i), caption);
    } else {
        return 1;
    }
    std::raise(SIGKILL);
    return 3;
}
