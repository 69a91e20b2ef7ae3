// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The bare acquisition cycle for the benchmarks: the station's board protocol on a port
// through the serial line adapter, with no store, no link and no window. `readings` is
// called with each completed cycle's raw readings.
#pragma once

#include "BoardProtocol.h"
#include "CommPort.h"
#include "SerialLine.h"

#include <functional>

class BareCycle {
public:
    explicit BareCycle(int portNumber, int settleMicros = 0)
    {
        m_port.setPortNumber(portNumber);
        m_port.setInputLength(1);
        m_protocol.setSettleDelay(settleMicros);
        QObject::connect(&m_line, &tovana::SerialLine::bytesReceived,
                         [this](const std::string &bytes) { take(m_protocol.bytesReceived(bytes)); });
        QObject::connect(&m_line, &tovana::SerialLine::settleElapsed, [this] { take(m_protocol.settleElapsed()); });
    }

    tovana::CommPort &port() { return m_port; }
    void restart() { take(m_protocol.restart()); }
    void stop() { take(m_protocol.stop()); }

    std::function<void(const tovana::station::BoardProtocol::Readings &)> readings;

private:
    void take(tovana::station::BoardProtocol::Result &&result)
    {
        if (result.readings && readings)
            readings(*result.readings);
        m_line.carryOut(result.line);
    }

    tovana::CommPort m_port;
    tovana::SerialLine m_line{&m_port};
    tovana::station::BoardProtocol m_protocol;
};
