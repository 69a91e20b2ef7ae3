// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// Hamlib mode names and the link server's mode codes, in one table. Several radio modes may
// share a code (PKTLSB and PKTUSB both are 10); the first row with a code is what the bridge
// asks the radio for when a client requests that code.
#pragma once

#include <QString>
#include <optional>

namespace ModeTable {
// Link code of a Hamlib mode name ("USB" -> 1), none for modes the link has no code for.
std::optional<int> codeOf(const QString &hamlibMode);
// Hamlib mode name to request for a link code (1 -> "USB"), none for codes without a mode.
std::optional<QString> modeFor(int code);
} // namespace ModeTable
