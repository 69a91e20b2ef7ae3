// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// Asks a serial driver to hand over received bytes at once instead of batching them,
// which matters for a protocol of single-byte replies. Best effort: a device that
// refuses (a pseudo-terminal, a driver without the flag) is left as it is.
#pragma once

#include <QtGlobal>

namespace tovana {

void requestLowLatency(qintptr handle);

} // namespace tovana
