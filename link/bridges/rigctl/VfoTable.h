// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// Hamlib VFO names and the link server's VFO codes (0 = A, 1 = B, 2 = memory). Radios with a
// main and a sub receiver report "Main"/"Sub" for A/B; requests always use VFOA/VFOB/MEM.
#pragma once

#include <QString>
#include <optional>

namespace VfoTable {
std::optional<int> codeOf(const QString &hamlibVfo);
std::optional<QString> vfoFor(int code);
} // namespace VfoTable
