// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "StoreFixture.h"
#include "SettingsStore.h"

tovana::station::SeedValues StoreTest::firstRunSeed()
{
    tovana::station::SeedValues seed;
    for (int n = 0; n < tovana::station::kRelayCount; ++n)
        seed.relayLabels[n] = "Relay" + std::to_string(n + 1);
    seed.position = {1200, 900};
    return seed;
}

void StoreTest::seed()
{
    tovana::SettingsStore store;
    ASSERT_TRUE(tovana::station::RegInit(store, firstRunSeed())) << store.errorString().toStdString();
}

void StoreTest::handEdit(const QMap<QString, QString> &keys)
{
    QByteArray text = "[StartUp]\n";
    for (auto it = keys.begin(); it != keys.end(); ++it)
        text += it.key().toUtf8() + '=' + it.value().toUtf8() + '\n';
    home.writeStore(text);
}
