// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// What the settings tests share: a private config home and the main window's state at
// the first run (relay captions "Relay1".."Relay12").
#pragma once

#include "Settings.h"
#include "TempConfigHome.h"

#include <QMap>
#include <gtest/gtest.h>

class StoreTest : public ::testing::Test {
protected:
    static tovana::station::SeedValues firstRunSeed();
    // The store after the first seeding.
    void seed();
    // Rewrites the file from these keys as a text editor would: "key=value" lines, no quoting.
    void handEdit(const QMap<QString, QString> &keys);

    TempConfigHome home;
};
