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
