// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The "Meters" tab's actions: loading a meter into the tab and handing every edit to the
// live gauge, the main window or the store.
#include "frmSetup.h"

#include "AGauge.h"
#include "KeyCatalogue.h"
#include "Preferences.h"
#include "SettingsStore.h"
#include "frmMonitor.h"

#include <QColorDialog>
#include <QComboBox>
#include <QIcon>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QLineEdit>
#include <QScrollBar>
#include <QSignalBlocker>

#include <cmath>
#include <optional>

namespace tovana {

namespace {

// "Meter 3" (also "Meter 3.5": the integer part counts) names meter index 2; text that
// names none of "Meter 1" .. "Meter 8" gives nothing.
std::optional<int> meterNamedBy(const QString &text)
{
    const QString prefix = QStringLiteral("Meter ");
    const QString trimmed = text.trimmed();
    double number = 0;
    if (!trimmed.startsWith(prefix, Qt::CaseInsensitive) || !parseReal(trimmed.mid(prefix.size()), &number))
        return std::nullopt;
    const double whole = std::trunc(number);
    if (whole < 1 || whole > kMeterCount)
        return std::nullopt;
    return int(whole) - 1;
}

// 0x00BBGGRR, as the gauge and the store keep colours.
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

AGauge *frmSetup::gauge() const
{
    return m_monitor->gauge(m_meter);
}

// Every control this changes runs its own change action on the way, as a user's edit would.
void frmSetup::loadMeter(int meter, Loading how)
{
    if (how == Loading::Activation) {
        m_meterChoice->setCurrentIndex(0);
        m_meterChoice->setEditText(m_meterChoice->itemText(0));
    }
    m_meter = meter;
    AGauge *g = gauge();
    m_title->setText(g->caption());
    for (int band = 0; band < 3; ++band) {
        g->setAnnulus(band + 2);
        m_bandEnds[band]->setText(formatReal(g->annulusStop()));
    }
    m_zero->setText(formatReal(g->scaleMin()));
    m_full->setText(formatReal(g->scaleMax()));
    showBandColours();

    if (how == Loading::Activation) {
        int stored = 0;
        const SettingsStore store;
        m_divisions->setValue(parseField(TextForm::Integer16, store.GetSetting("TicSubCount-Gauge0"), &stored)
                                  ? stored
                                  : g->subTickCount());
        if (const std::optional<int> response = m_monitor->mtr_response())
            setResponse(*response);
    } else {
        m_divisions->setValue(g->subTickCount());
    }
    loadMultiplier();
}

// The label shows the multiplier as the program holds it ("1.0" as seeded). The slider
// takes it to the nearest hundredth, halves to even; when that moves the slider, the
// rounded multiplier is stored. One beyond the slider's reach is only shown on the label:
// the slider stops at its end without storing, and the store keeps the value in force.
void frmSetup::loadMultiplier()
{
    const QString held = m_monitor->scalingTable().multipliers[m_meter];
    m_multiplierText->setText(held);
    double multiplier = 0;
    if (!parseReal(held, &multiplier))
        return;
    const double position = std::nearbyint(multiplier * 100);
    if (position < m_multiplier->minimum() || position > m_multiplier->maximum()) {
        const QSignalBlocker quiet(m_multiplier);
        m_multiplier->setValue(position < m_multiplier->minimum() ? m_multiplier->minimum() : m_multiplier->maximum());
        return;
    }
    m_multiplier->setValue(int(position));
}

void frmSetup::pickMeter()
{
    if (const std::optional<int> meter = meterNamedBy(m_meterChoice->currentText()))
        loadMeter(*meter, Loading::Picking);
}

void frmSetup::titleEdited(const QString &title)
{
    m_meter = meterNamedBy(m_meterChoice->currentText()).value_or(m_meter);
    gauge()->setCaption(title);
}

// Sets the scale from the zero and full-scale boxes and resets the three bands to 0-60 %,
// 60-80 % and 80-100 % of the new span, then applies the bands and saves.
void frmSetup::applyScale()
{
    if (!holdNumbers({m_zero, m_full}))
        return;
    const QString zero = m_zero->text();
    const QString full = m_full->text();
    double z = 0;
    double f = 0;
    parseReal(zero, &z);
    parseReal(full, &f);

    AGauge *g = gauge();
    g->setScaleMin(zero);
    g->setScaleMax(full);
    g->setScaleMin(zero);
    for (int ring : {0, 1}) {
        g->setAnnulus(ring);
        g->setAnnulusStart(zero);
        g->setAnnulusStop(full);
    }
    m_bandEnds[0]->setText(formatReal(z + (f - z) * 0.6));
    g->setAnnulus(2);
    g->setAnnulusStart(zero);
    g->setAnnulus(3);
    g->setAnnulusStart(m_bandEnds[0]->text());
    m_bandEnds[1]->setText(formatReal(z + (f - z) * 0.8));
    g->setAnnulusStop(m_bandEnds[1]->text());
    g->setAnnulus(4);
    g->setAnnulusStart(m_bandEnds[1]->text());
    m_bandEnds[2]->setText(full);
    g->setAnnulusStop(m_bandEnds[2]->text());

    applyBands();
    m_monitor->GetMultiplier();
    m_monitor->SaveSettings();
}

// Band 1 starts at the zero box as it stands, applied to the scale or not; each later band
// starts where the one before ends. Nothing changes unless all four boxes hold numbers.
void frmSetup::applyBands()
{
    if (!holdNumbers({m_bandEnds[0], m_bandEnds[1], m_bandEnds[2], m_zero}))
        return;
    AGauge *g = gauge();
    g->setAnnulus(2);
    g->setAnnulusStop(m_bandEnds[0]->text());
    g->setAnnulusStart(m_zero->text());
    g->setAnnulus(3);
    g->setAnnulusStart(m_bandEnds[0]->text());
    g->setAnnulusStop(m_bandEnds[1]->text());
    g->setAnnulus(4);
    g->setAnnulusStart(m_bandEnds[1]->text());
    g->setAnnulusStop(m_bandEnds[2]->text());
    m_monitor->SaveSettings();
}

QColor frmSetup::bandColour(int band) const
{
    AGauge *g = gauge();
    g->setAnnulus(band + 2);
    return colourOf(g->annulusColor());
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
    AGauge *g = gauge();
    g->setAnnulus(m_pickingBand + 2);
    g->setAnnulusColor(bgrOf(colour));
    showBandColours();
}

void frmSetup::divisionsMoved(int count)
{
    m_divisionsText->setNum(count);
    AGauge *g = gauge();
    for (int set : {0, 1}) {
        g->setTickSet(set);
        g->setSubTickCount(count);
    }
}

void frmSetup::multiplierMoved(int position)
{
    const double multiplier = position / 100.0;
    m_multiplierText->setText(formatReal(multiplier));
    SettingsStore store;
    if (!SaveMultiplier(store, m_meter, multiplier))
        showMessage(QStringLiteral("The multiplier could not be saved: %1").arg(store.errorString()));
    m_monitor->GetMultiplier();
}

// True when every box holds a number; otherwise the first that does not is named in a message.
bool frmSetup::holdNumbers(std::initializer_list<const QLineEdit *> boxes)
{
    for (const QLineEdit *box : boxes) {
        double value = 0;
        if (!parseReal(box->text(), &value)) {
            showMessage(QStringLiteral("%1 is not a number: %2").arg(box->accessibleName(), box->text()));
            return false;
        }
    }
    return true;
}

} // namespace tovana
