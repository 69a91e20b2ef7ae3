// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// Why a serial device would not open, in a line a user can act on: the device path and
// the system's reason; for a permission refusal, the group that owns the device and that
// the user must belong to (when that group may read and write it).
#pragma once

#include <QString>

namespace tovana {

// `reason` is the system's text for the failure; `permissionRefused` tells that the
// system refused access to the device itself.
QString describeOpenFailure(const QString &device, const QString &reason, bool permissionRefused);

} // namespace tovana
