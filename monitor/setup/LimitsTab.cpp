// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "LimitsTab.h"

#include "Station.h"
#include "StationHost.h"
#include "TextForms.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QVBoxLayout>

namespace tovana {

LimitsTab::LimitsTab(StationHost &host, QWidget *parent)
    : QWidget(parent)
    , m_host(host)
    , m_title(new QLabel(this))
    , m_kind(new QComboBox(this))
    , m_value(new QLineEdit(this))
    , m_readings(new QSpinBox(this))
    , m_whileTx(new QCheckBox(QStringLiteral("Only while transmitting"), this))
    , m_apply(new QPushButton(QStringLiteral("Apply"), this))
{
    m_kind->setObjectName("LimitKind");
    m_kind->addItems({QStringLiteral("Off"), QStringLiteral("Above"), QStringLiteral("Below")});
    m_value->setObjectName("LimitValue");
    m_readings->setObjectName("LimitReadings");
    m_readings->setRange(1, station::LimitConfig::kMaxReadings);
    m_whileTx->setObjectName("LimitWhileTx");
    m_apply->setObjectName("LimitApply");

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("Trip when the reading is"), m_kind);
    form->addRow(QStringLiteral("Limit"), m_value);
    form->addRow(QStringLiteral("Readings in a row"), m_readings);
    form->addRow(QString(), m_whileTx);
    auto *relays = new QGridLayout;
    for (int n = 1; n <= station::kRelayCount; ++n) {
        QComboBox *move = new QComboBox(this);
        move->setObjectName(QStringLiteral("LimitRelay%1").arg(n));
        move->addItems({QStringLiteral("Leave"), QStringLiteral("On"), QStringLiteral("Off")});
        auto *label = new QLabel(this);
        label->setObjectName(QStringLiteral("LimitRelayLabel%1").arg(n));
        const int row = (n - 1) % 6;
        const int column = (n - 1) / 6 * 2;
        relays->addWidget(label, row, column);
        relays->addWidget(move, row, column + 1);
        m_relays[n - 1] = move;
    }
    // The dialog keeps its designed size: the tab scrolls where it is taller.
    auto *content = new QWidget;
    auto *scroll = new QScrollArea(this);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidget(content);
    (new QVBoxLayout(this))->addWidget(scroll);
    layout()->setContentsMargins(0, 0, 0, 0);
    auto *column = new QVBoxLayout(content);
    column->addWidget(m_title);
    column->addLayout(form);
    column->addWidget(new QLabel(QStringLiteral("A trip switches:"), this));
    column->addLayout(relays);
    column->addStretch(1);
    column->addWidget(m_apply, 0, Qt::AlignRight);
    connect(m_apply, &QPushButton::clicked, this, &LimitsTab::apply);
}

void LimitsTab::showMeter(int meter)
{
    m_meter = meter;
    const station::Station &station = m_host.station();
    const station::LimitConfig &limit = station.limits()[meter];
    m_title->setText(
        QStringLiteral("Meter %1: %2").arg(meter + 1).arg(QString::fromStdString(station.meter(meter).caption)));
    m_kind->setCurrentIndex(int(limit.kind));
    m_value->setText(QString::fromStdString(station::formatReal(limit.value)));
    m_readings->setValue(limit.readings);
    m_whileTx->setChecked(limit.onlyWhileTx);
    for (int n = 1; n <= station::kRelayCount; ++n) {
        m_relays[n - 1]->setCurrentIndex(int(limit.action[n - 1]));
        findChild<QLabel *>(QStringLiteral("LimitRelayLabel%1").arg(n))
            ->setText(QString::fromStdString(station.relay(n).label));
    }
}

void LimitsTab::apply()
{
    const auto value = station::parseReal(m_value->text().toStdString());
    if (!value) {
        emit refused(QStringLiteral("The limit was not set: \"%1\" is not a number.").arg(m_value->text()));
        return;
    }
    station::LimitConfig limit;
    limit.kind = station::LimitKind(m_kind->currentIndex());
    limit.value = *value;
    limit.readings = m_readings->value();
    limit.onlyWhileTx = m_whileTx->isChecked();
    for (int n = 1; n <= station::kRelayCount; ++n)
        limit.action[n - 1] = station::RelayMove(m_relays[n - 1]->currentIndex());
    m_host.perform(m_host.station().setLimit(m_meter, limit));
}

} // namespace tovana
