// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The "Meters" tab's actions: loading a meter of the station into the tab and handing every
// edit to the station, the multiplier also to the store.
#include "frmSetup.h"

#include "LimitsTab.h"
#include "MeterChoice.h"
#include "Station.h"
#include "StationHost.h"
#include "TextForms.h"

#include <QColorDialog>
#include <QComboBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>

#include <cmath>
#include <optional>

namespace tovana {

namespace {

QString formatReal(double value)
{
    return QString::fromStdString(station::formatReal(value));
}

std::optional<double> parseReal(const QString &text)
{
    return station::parseReal(text.toStdString());
}

// 0x00BBGGRR, as the station and the store keep colours.
std::uint32_t bgrOf(const QColor &colour)
{
    return std::uint32_t(colour.red()) | std::uint32_t(colour.green()) << 8 | std::uint32_t(colour.blue()) << 16;
}

QColor colourOf(std::uint32_t bgr)
{
    return QColor(int(bgr & 0xFF), int(bgr >> 8 & 0xFF), int(bgr >> 16 & 0xFF));
}

} // namespace

void frmSetup::connectMeterActions()
{
    connect(m_meterChoice, &QComboBox::activated, this, &frmSetup::pickMeter);
    connect(m_meterChoice->lineEdit(), &QLineEdit::returnPressed, this, &frmSetup::pickMeter);
    connect(m_title, &QLineEdit::textChanged, this, &frmSetup::titleEdited);
    connect(m_divisions, &QScrollBar::valueChanged, this, &frmSetup::divisionsMoved);
    connect(m_multiplier, &QScrollBar::valueChanged, this, &frmSetup::multiplierMoved);
}

// Every control this changes runs its own change action on the way, as a user's edit would.
void frmSetup::loadMeter(int meter, Loading how)
{
    if (how == Loading::Activation) {
        m_meterChoice->setCurrentIndex(0);
        m_meterChoice->setEditText(m_meterChoice->itemText(0));
    }
    m_meter = meter;
    const station::MeterConfig &config = m_station.meter(meter);
    m_title->setText(QString::fromStdString(config.caption));
    for (int band = 0; band < 3; ++band)
        m_bandEnds[band]->setText(formatReal(config.bands[band].stop));
    m_zero->setText(formatReal(config.scaleMin));
    m_full->setText(formatReal(config.scaleMax));
    showBandColours();

    // Each showing starts from meter 1's stored divisions.
    m_divisions->setValue(how == Loading::Activation ? m_station.meter(0).ticSubCount : config.ticSubCount);
    if (how == Loading::Activation && m_station.responseLoaded())
        setResponse(m_station.meterResponse());
    loadMultiplier();
    m_limitsTab->showMeter(meter);
}

// The label shows the multiplier as the store holds it ("1.0" as seeded). The slider takes
// it to the nearest hundredth, halves to even; when that moves the slider, the rounded
// multiplier is stored. One beyond the slider's reach is only shown on the label: the slider
// stops at its end without storing, and the store keeps the value in force.
void frmSetup::loadMultiplier()
{
    const QString held = QString::fromStdString(m_station.multiplier(m_meter));
    m_multiplierText->setText(held);
    const std::optional<double> multiplier = parseReal(held);
    if (!multiplier)
        return;
    const double position = std::nearbyint(*multiplier * 100);
    if (position < m_multiplier->minimum() || position > m_multiplier->maximum()) {
        const QSignalBlocker quiet(m_multiplier);
        m_multiplier->setValue(position < m_multiplier->minimum() ? m_multiplier->minimum() : m_multiplier->maximum());
        return;
    }
    m_multiplier->setValue(int(position));
}

void frmSetup::pickMeter()
{
    if (const std::optional<int> meter = face::meterNamedBy(m_meterChoice->currentText().toStdString()))
        loadMeter(*meter, Loading::Picking);
}

void frmSetup::titleEdited(const QString &title)
{
    m_meter = face::meterNamedBy(m_meterChoice->currentText().toStdString()).value_or(m_meter);
    m_station.setCaption(m_meter, title.toStdString());
}

// Sets the scale from the zero and full-scale boxes and resets the three bands to 0-60 %,
// 60-80 % and 80-100 % of the new span; the station saves it.
void frmSetup::applyScale()
{
    if (!holdNumbers({m_zero, m_full}))
        return;
    m_host->perform(m_station.applyScale(m_meter, *parseReal(m_zero->text()), *parseReal(m_full->text())));
    for (int band = 0; band < 3; ++band)
        m_bandEnds[band]->setText(formatReal(m_station.meter(m_meter).bands[band].stop));
}

// Band 1 starts at the zero box as it stands, applied to the scale or not; each later band
// starts where the one before ends. Nothing changes unless all four boxes hold numbers.
void frmSetup::applyBands()
{
    if (!holdNumbers({m_bandEnds[0], m_bandEnds[1], m_bandEnds[2], m_zero}))
        return;
    m_host->perform(m_station.applyBands(
        m_meter, *parseReal(m_zero->text()),
        {*parseReal(m_bandEnds[0]->text()), *parseReal(m_bandEnds[1]->text()), *parseReal(m_bandEnds[2]->text())}));
}

QColor frmSetup::bandColour(int band) const
{
    return colourOf(m_station.meter(m_meter).bands[band].color);
}

// Each "Color" button carries a swatch of its band's colour on the meter shown.
void frmSetup::showBandColours()
{
    for (int band = 0; band < 3; ++band) {
        QPixmap swatch(m_colourButtons[band]->iconSize());
        swatch.fill(bandColour(band));
        m_colourButtons[band]->setIcon(QIcon(swatch));
    }
}

// The picker opens on the band's own colour. Only a confirmed pick reaches the band;
// Cancel changes nothing.
void frmSetup::pickColour(int band)
{
    if (!m_picker) {
        m_picker = new QColorDialog(this);
        m_picker->setObjectName("CommonDialog1");
        connect(m_picker, &QColorDialog::colorSelected, this, &frmSetup::colourPicked);
    }
    m_pickingBand = band;
    m_picker->setCurrentColor(bandColour(band));
    m_picker->open();
}

void frmSetup::colourPicked(const QColor &colour)
{
    m_station.setBandColour(m_meter, m_pickingBand, bgrOf(colour));
}

void frmSetup::divisionsMoved(int count)
{
    m_divisionsText->setNum(count);
    m_station.setTicks(m_meter, count);
}

void frmSetup::multiplierMoved(int position)
{
    const double multiplier = position / 100.0;
    m_multiplierText->setText(formatReal(multiplier));
    m_host->saveMultiplier(m_meter, multiplier);
}

// True when every box holds a number; otherwise the first that does not is named in a message.
bool frmSetup::holdNumbers(std::initializer_list<const QLineEdit *> boxes)
{
    for (const QLineEdit *box : boxes) {
        if (!parseReal(box->text())) {
            showMessage(QStringLiteral("%1 is not a number: %2").arg(box->accessibleName(), box->text()));
            return false;
        }
    }
    return true;
}

} // namespace tovana
