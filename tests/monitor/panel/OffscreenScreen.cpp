// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// Puts the tests of this executable on an offscreen screen of its own (TOVANA_TEST_SCREEN,
// a platform configuration file: size and device pixel ratio). Runs before main(), which
// creates the application on that platform.
#include <QByteArray>
#include <QtGlobal>

namespace {

const bool kScreenChosen =
    qputenv("QT_QPA_PLATFORM", QByteArray("offscreen:configfile=") + QByteArray(TOVANA_TEST_SCREEN));

} // namespace
