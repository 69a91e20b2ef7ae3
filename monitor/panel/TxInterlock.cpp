// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "TxInterlock.h"

#include "LinkClient.h"
#include "PanelControls.h"

namespace tovana {

namespace {

const QString kPtt = QStringLiteral("PTT");

} // namespace

TxInterlock::TxInterlock(TxIndicator *indicator, LinkClient *link, QObject *parent)
    : QObject(parent), m_indicator(indicator), m_link(link)
{
    m_poll.setInterval(kPollMs);
    connect(&m_poll, &QTimer::timeout, this, &TxInterlock::poll);
    connect(m_link, &LinkClient::propertiesChanged, this, &TxInterlock::onChanged);
    // A new object may stand elsewhere: what was read of the old one no longer counts.
    connect(m_link, &LinkClient::connected, this, [this] {
        abandonRead();
        if (m_on)
            poll();
    });
    const auto lost = [this] {
        abandonRead();
        setTx(Tx::Unknown);
    };
    connect(m_link, &LinkClient::connectFailed, this, lost);
    connect(m_link, &LinkClient::disconnected, this, lost);
    show();
}

void TxInterlock::setEnabled(bool on)
{
    if (on == m_on)
        return;
    const bool held = holds();
    m_on = on;
    if (on) {
        m_poll.start();
        poll();
    } else {
        m_poll.stop();
        abandonRead();
        m_tx = Tx::Unknown;
    }
    show();
    if (held && !holds())
        emit released();
}

void TxInterlock::poll()
{
    if (!m_link->isConnected()) {
        setTx(Tx::Unknown);
        return;
    }
    if (m_readOut)
        return;
    m_readOut = true;
    const quint64 generation = m_readGeneration;
    m_link->read(kPtt, this, [this, generation](const tethra::client::Reply &reply) {
        if (generation != m_readGeneration)
            return;
        m_readOut = false;
        if (!reply.ok() || reply.value.metaType().id() != QMetaType::Int) {
            setTx(Tx::Unknown);
            return;
        }
        onPtt(reply.value.toInt());
    });
}

void TxInterlock::onChanged(const QVariantMap &changed)
{
    const auto it = changed.constFind(kPtt);
    if (!m_on || it == changed.cend() || it->metaType().id() != QMetaType::Int)
        return;
    onPtt(it->toInt());
}

// Only 0 is receive: any other value could be a transmitter keyed.
void TxInterlock::onPtt(qint32 ptt)
{
    setTx(ptt == 0 ? Tx::Receive : Tx::Transmit);
    emit pttSeen(ptt);
}

void TxInterlock::setTx(Tx tx)
{
    if (!m_on || tx == m_tx)
        return;
    const bool held = holds();
    m_tx = tx;
    show();
    if (held && !holds())
        emit released();
}

void TxInterlock::abandonRead()
{
    ++m_readGeneration;
    m_readOut = false;
}

void TxInterlock::show()
{
    m_indicator->setVisible(m_on);
    m_indicator->setState(!m_on || m_tx == Tx::Receive ? TxIndicator::State::Receive
                          : m_tx == Tx::Transmit        ? TxIndicator::State::Held
                                                        : TxIndicator::State::Unknown);
}

} // namespace tovana
