// Asks a serial driver to hand over received bytes at once instead of batching them,
// which matters for a protocol of single-byte replies. Best effort: a device that
// refuses (a pseudo-terminal, a driver without the flag) is left as it is.
#pragma once

#include <QtGlobal>

namespace tovana {

void requestLowLatency(qintptr handle);

} // namespace tovana
