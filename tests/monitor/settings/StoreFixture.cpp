// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "StoreFixture.h"
#include "SettingsStore.h"

tovana::SeedValues StoreTest::firstRunSeed()
{
    tovana::SeedValues seed;
    for (int n = 0; n < tovana::kRelayCount; ++n)
        seed.relayCaptions[n] = QStringLiteral("Relay%1").arg(n + 1);
    seed.position = {1200, 900};
    return seed;
}

void StoreTest::seed()
{
    tovana::SettingsStore store;
    ASSERT_TRUE(tovana::RegInit(store, firstRunSeed())) << store.errorString().toStdString();
}

void StoreTest::handEdit(const QMap<QString, QString> &keys)
{
    QByteArray text = "[StartUp]\n";
    for (auto it = keys.begin(); it != keys.end(); ++it)
        text += it.key().toUtf8() + '=' + it.value().toUtf8() + '\n';
    home.writeStore(text);
}
