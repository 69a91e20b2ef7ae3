// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "RelaySwitch.h"

#include "CommPort.h"
#include "WireFormat.h"

#include <QByteArray>
#include <QWidget>

namespace tovana {

bool toggleRelay(CommPort &port, QWidget &greenLamp, int relay)
{
    const bool on = greenLamp.isHidden();
    if (!port.output(QByteArray(1, relayByte(relay, on))))
        return false;
    greenLamp.setVisible(on);
    return true;
}

} // namespace tovana
