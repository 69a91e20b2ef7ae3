// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "RigBridge.h"

#include "BandTable.h"
#include "LinkClient.h"
#include "ModeTable.h"
#include "RigctlClient.h"
#include "VfoTable.h"

#include <iterator>
#include <cmath>
#include <cstdio>

namespace {

const QString kRefresh = QStringLiteral("RaiseRefresh");
const QString kRigctldProblem = QStringLiteral("rigctld");
const QString kRadioProblem = QStringLiteral("radio");
const QString kLinkProblem = QStringLiteral("link");

double toMhz(qint64 hz)
{
    return double(hz) / 1e6;
}

// A request value as a whole number; none when it is no number at all.
std::optional<int> toLong(const QVariant &value)
{
    bool ok = false;
    const int n = value.toInt(&ok);
    return ok ? std::optional<int>(n) : std::nullopt;
}

std::optional<qint64> hzOf(const QString &text)
{
    bool ok = false;
    const double hz = text.toDouble(&ok);
    return ok ? std::optional<qint64>(std::llround(hz)) : std::nullopt;
}

void say(const QString &message)
{
    std::fprintf(stderr, "tethra-rigctl: %s\n", qUtf8Printable(message));
    std::fflush(stderr);
}

} // namespace

const RigBridge::Query RigBridge::kQueries[] = {
    {"f", "frequency", &RigBridge::publishFreq}, {"m", "mode", &RigBridge::publishMode},
    {"t", "PTT", &RigBridge::publishPtt},        {"v", "VFO", &RigBridge::publishVfo},
    {"s", "split", &RigBridge::publishSplit},    {"i", "TX frequency", &RigBridge::publishTxFreq},
};

const RigBridge::Request RigBridge::kRequests[] = {
    {"RaiseFreq", "NewFreq", &RigBridge::tune},       {"RaiseMode", "NewMode", &RigBridge::setMode},
    {"RaisePTT", "NewPTT", &RigBridge::setPtt},       {"RaiseVFO", "NewVFO", &RigBridge::setVfo},
    {"RaiseSplit", "NewSplit", &RigBridge::setSplit}, {"RaiseTXFreq", "NewTXFreq", &RigBridge::setTxFreq},
    {"RaiseBand", "NewBand", &RigBridge::selectBand}, {"RaiseUpDown", "NewStep", &RigBridge::step},
};

RigBridge::RigBridge(RigctlClient &rig, LinkClient &link, int pollIntervalMs, QObject *parent)
    : QObject(parent)
    , m_rig(rig)
    , m_link(link)
{
    m_pollTimer.setInterval(pollIntervalMs);
    connect(&m_pollTimer, &QTimer::timeout, this, [this] { pollSoon(); });
    connect(&m_rig, &RigctlClient::connected, this, &RigBridge::onRigConnected);
    connect(&m_rig, &RigctlClient::disconnected, this, &RigBridge::onRigDisconnected);
    m_link.setReconnect(true);
    m_link.watchEvents(events());
    connect(&m_link, &LinkClient::connected, this, &RigBridge::onLinkUp);
    connect(&m_link, &LinkClient::connectFailed, this, [this](const QString &reason) {
        onLinkDown(QStringLiteral("cannot reach the link server: %1").arg(reason));
    });
    connect(&m_link, &LinkClient::disconnected, this, &RigBridge::onLinkDown);
    connect(&m_link, &LinkClient::event, this, &RigBridge::onEvent);
}

QStringList RigBridge::events()
{
    QStringList names{kRefresh};
    for (const Request &r : kRequests)
        names << QString::fromLatin1(r.event);
    return names;
}

void RigBridge::start()
{
    m_rig.start();
    m_link.connectToServer();
    m_pollTimer.start();
}

void RigBridge::onRigConnected()
{
    if (m_complaints.isRaised(kRigctldProblem))
        say(QStringLiteral("connected to rigctld at %1").arg(m_rig.address()));
    m_complaints.clear(kRigctldProblem);
    // Hamlib answers from its cache for 500 ms by default, which would hide a band change
    // from a client that follows every 200 ms; 0 turns the cache off for the whole rig.
    command(QStringLiteral("\\set_cache 0"), QStringLiteral("turn off Hamlib's cache (values may lag by 500 ms)"));
    m_rig.send(QStringLiteral("\\dump_caps"), [this](const RigctlReply &r) { publishTransceiver(r); });
    poll();
}

void RigBridge::onRigDisconnected(const QString &reason)
{
    m_complaints.raise(kRigctldProblem,
                       QStringLiteral("cannot reach rigctld at %1: %2 (retrying)").arg(m_rig.address(), reason));
    m_radioAnswers = false;
    publish(QStringLiteral("CAT"), 0);
}

void RigBridge::onLinkUp()
{
    if (m_complaints.isRaised(kLinkProblem))
        say(QStringLiteral("connected to the link server"));
    m_complaints.clear(kLinkProblem);
    // A new shared object starts at its defaults: every value goes out again.
    m_written.clear();
    if (!m_transceiver.isEmpty())
        publish(QStringLiteral("Transceiver"), m_transceiver);
    poll();
}

void RigBridge::onLinkDown(const QString &reason)
{
    m_complaints.raise(kLinkProblem, QStringLiteral("%1 (retrying)").arg(reason));
}

void RigBridge::pollSoon()
{
    // A radio slower than the interval gets one poll at a time, not a growing queue.
    if (m_rig.isConnected() && m_rig.pending() == 0)
        poll();
}

void RigBridge::poll(std::function<void()> done)
{
    for (size_t i = 0; i < std::size(kQueries); ++i) {
        const Query &q = kQueries[i];
        const bool last = i + 1 == std::size(kQueries);
        m_rig.send(QString::fromLatin1(q.command), [this, q, last, done](const RigctlReply &reply) {
            const QString key = QStringLiteral("get ") + QString::fromLatin1(q.command);
            if (reply.ok())
                m_complaints.clear(key);
            else if (reply.answered && m_radioAnswers)
                m_complaints.raise(key,
                                   QStringLiteral("the radio cannot report its %1: %2").arg(q.what, reply.describe()));
            (this->*q.publish)(reply);
            if (last && done)
                done();
        });
    }
}

void RigBridge::publishFreq(const RigctlReply &reply)
{
    m_radioAnswers = reply.ok();
    publish(QStringLiteral("CAT"), m_radioAnswers ? 1 : 0);
    if (!reply.ok()) {
        if (reply.answered)
            m_complaints.raise(kRadioProblem, QStringLiteral("the radio does not answer: %1").arg(reply.describe()));
        return;
    }
    if (m_complaints.isRaised(kRadioProblem))
        say(QStringLiteral("the radio answers again"));
    m_complaints.clear(kRadioProblem);
    const auto hz = hzOf(reply.value(QStringLiteral("Frequency")));
    if (!hz)
        return;
    m_freqHz = hz;
    publish(QStringLiteral("Freq"), toMhz(*hz));
    publish(QStringLiteral("Band"), BandTable::bandOf(*hz));
}

void RigBridge::publishMode(const RigctlReply &reply)
{
    if (!reply.ok())
        return;
    m_mode = reply.value(QStringLiteral("Mode"));
    if (const auto code = ModeTable::codeOf(m_mode))
        publish(QStringLiteral("Mode"), *code);
    else
        m_complaints.raise(QStringLiteral("mode ") + m_mode,
                           QStringLiteral("radio mode %1 has no link mode code; Mode left unchanged").arg(m_mode));
}

void RigBridge::publishPtt(const RigctlReply &reply)
{
    if (const auto ptt = toLong(reply.value(QStringLiteral("PTT"))); reply.ok() && ptt)
        publish(QStringLiteral("PTT"), *ptt == 0 ? 0 : 1);
}

void RigBridge::publishVfo(const RigctlReply &reply)
{
    if (!reply.ok())
        return;
    const QString vfo = reply.value(QStringLiteral("VFO"));
    m_vfo = VfoTable::codeOf(vfo);
    if (m_vfo)
        publish(QStringLiteral("VFO"), *m_vfo);
    else
        m_complaints.raise(QStringLiteral("vfo ") + vfo,
                           QStringLiteral("radio VFO %1 has no link VFO code; VFO left unchanged").arg(vfo));
}

void RigBridge::publishSplit(const RigctlReply &reply)
{
    if (const auto split = toLong(reply.value(QStringLiteral("Split"))); reply.ok() && split) {
        m_split = *split != 0;
        publish(QStringLiteral("Split"), m_split ? 1 : 0);
    }
}

void RigBridge::publishTxFreq(const RigctlReply &reply)
{
    // Without split the radio transmits where it listens; the other VFO is no TX frequency.
    if (!m_split) {
        if (m_freqHz && m_radioAnswers)
            publish(QStringLiteral("TXFreq"), toMhz(*m_freqHz));
        return;
    }
    if (const auto hz = hzOf(reply.value(QStringLiteral("TX Frequency"))); reply.ok() && hz)
        publish(QStringLiteral("TXFreq"), toMhz(*hz));
}

void RigBridge::publishTransceiver(const RigctlReply &reply)
{
    if (!reply.ok())
        return;
    m_transceiver = QStringList{reply.value(QStringLiteral("Mfg name")), reply.value(QStringLiteral("Model name"))}
                        .join(QLatin1Char(' '))
                        .trimmed();
    publish(QStringLiteral("Transceiver"), m_transceiver);
}

void RigBridge::onEvent(const QString &name)
{
    if (name == kRefresh) {
        m_written.clear();
        if (!m_transceiver.isEmpty())
            publish(QStringLiteral("Transceiver"), m_transceiver);
        poll([this] {
            m_link.call(QStringLiteral("SetOK"), {}, this, [this](const tethra::client::Reply &reply) {
                if (!reply.ok())
                    m_complaints.raise(QStringLiteral("SetOK"),
                                       QStringLiteral("cannot call SetOK: %1").arg(reply.error));
            });
        });
        return;
    }
    for (const Request &r : kRequests) {
        if (name != QLatin1String(r.event))
            continue;
        const auto act = r.act;
        const QString field = QString::fromLatin1(r.field);
        m_link.read(field, this, [this, act, field](const tethra::client::Reply &reply) {
            if (reply.ok())
                (this->*act)(reply.value);
            else
                m_complaints.raise(field, QStringLiteral("cannot read %1: %2").arg(field, reply.error));
        });
    }
}

void RigBridge::publish(const QString &field, const QVariant &value)
{
    if (!m_link.isConnected())
        return;
    const auto last = m_written.constFind(field);
    if (last != m_written.cend() && *last == value)
        return;
    m_written.insert(field, value);
    m_link.write(field, value, this, [this, field](const tethra::client::Reply &reply) {
        if (reply.ok())
            return;
        m_written.remove(field); // so the next poll tries again
        const QString what = QStringLiteral("cannot write %1: %2").arg(field, reply.error);
        m_complaints.raise(what, what);
    });
}

void RigBridge::refuse(const QString &what, const QString &why)
{
    say(QStringLiteral("cannot %1: %2").arg(what, why));
}

bool RigBridge::command(const QString &text, const QString &what)
{
    if (!m_rig.isConnected()) {
        refuse(what, QStringLiteral("rigctld is not connected"));
        return false;
    }
    m_rig.send(text, [this, what](const RigctlReply &reply) {
        if (reply.ok())
            pollSoon();
        else
            refuse(what, reply.describe());
    });
    return true;
}

void RigBridge::tuneToHz(qint64 hz, const QString &what)
{
    if (hz <= 0) {
        refuse(what, QStringLiteral("%1 Hz is no frequency").arg(hz));
        return;
    }
    // Remember the target at once, so that steps in quick succession add up.
    if (command(QStringLiteral("F %1").arg(hz), what))
        m_freqHz = hz;
}

void RigBridge::tune(const QVariant &mhz)
{
    const double value = mhz.toDouble();
    const QString what = QStringLiteral("tune to %1 MHz").arg(value);
    if (!std::isfinite(value) || value <= 0 || value > 1e6) {
        refuse(what, QStringLiteral("not a frequency"));
        return;
    }
    tuneToHz(std::llround(value * 1e6), what);
}

void RigBridge::setTxFreq(const QVariant &mhz)
{
    const double value = mhz.toDouble();
    const QString what = QStringLiteral("set the TX frequency to %1 MHz").arg(value);
    if (!std::isfinite(value) || value <= 0 || value > 1e6) {
        refuse(what, QStringLiteral("not a frequency"));
        return;
    }
    command(QStringLiteral("I %1").arg(std::llround(value * 1e6)), what);
}

void RigBridge::selectBand(const QVariant &band)
{
    const auto number = toLong(band);
    const auto entry = number ? BandTable::band(*number) : std::nullopt;
    const QString what = QStringLiteral("select band %1").arg(band.toString());
    if (!entry) {
        refuse(what, QStringLiteral("no such band"));
        return;
    }
    tuneToHz(entry->tuneHz, what);
}

void RigBridge::step(const QVariant &khz)
{
    const auto step = toLong(khz);
    const QString what = QStringLiteral("step by %1 kHz").arg(khz.toString());
    if (!step) {
        refuse(what, QStringLiteral("not a number"));
        return;
    }
    if (!m_freqHz) {
        refuse(what, QStringLiteral("the radio's frequency is not known yet"));
        return;
    }
    tuneToHz(*m_freqHz + qint64(*step) * 1000, what);
}

void RigBridge::setMode(const QVariant &code)
{
    const auto number = toLong(code);
    const QString what = QStringLiteral("set mode %1").arg(code.toString());
    const auto mode = number ? ModeTable::modeFor(*number) : std::nullopt;
    if (!mode) {
        refuse(what, QStringLiteral("no radio mode has this code"));
        return;
    }
    // PKTUSB already is code 10; asking for 10 must not flip it to PKTLSB.
    if (ModeTable::codeOf(m_mode) == number)
        return;
    // Passband 0 lets the radio pick its normal width for the new mode.
    command(QStringLiteral("M %1 0").arg(*mode), what);
}

void RigBridge::setPtt(const QVariant &ptt)
{
    const auto value = toLong(ptt);
    const QString what = QStringLiteral("set PTT %1").arg(ptt.toString());
    if (!value || (*value != 0 && *value != 1)) {
        refuse(what, QStringLiteral("PTT is 0 (RX) or 1 (TX)"));
        return;
    }
    command(QStringLiteral("T %1").arg(*value), what);
}

void RigBridge::setVfo(const QVariant &code)
{
    const auto number = toLong(code);
    const auto vfo = number ? VfoTable::vfoFor(*number) : std::nullopt;
    const QString what = QStringLiteral("select VFO %1").arg(code.toString());
    if (!vfo) {
        refuse(what, QStringLiteral("VFO is 0 (A), 1 (B) or 2 (memory)"));
        return;
    }
    command(QStringLiteral("V %1").arg(*vfo), what);
}

void RigBridge::setSplit(const QVariant &split)
{
    const auto value = toLong(split);
    const QString what = QStringLiteral("set split %1").arg(split.toString());
    if (!value || (*value != 0 && *value != 1)) {
        refuse(what, QStringLiteral("split is 0 (off) or 1 (on)"));
        return;
    }
    // Split transmits on the VFO we are not listening on.
    const bool onB = m_vfo == 1;
    const QString txVfo = *value == 1 ? (onB ? QStringLiteral("VFOA") : QStringLiteral("VFOB"))
                                      : (onB ? QStringLiteral("VFOB") : QStringLiteral("VFOA"));
    command(QStringLiteral("S %1 %2").arg(*value).arg(txVfo), what);
}
