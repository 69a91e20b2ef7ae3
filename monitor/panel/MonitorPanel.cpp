// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "MonitorPanel.h"

#include "AGauge.h"
#include "PanelControls.h"
#include "BandTable.h"
#include "Records.h"

#include <QApplication>
#include <QEvent>
#include <QFontMetricsF>
#include <QGroupBox>
#include <QLabel>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionGroupBox>
#include <cmath>

namespace tovana {

namespace {

// A notice is a label that speaks only when needed: right-aligned, in its colour.
enum class Kind { Gauge, Button, Indicator, Tx, OffBar, OnBar, Lamp, Frame, Label, Notice };

// One control of the panel: design name, kind, caption, colour (invalid = the style's),
// place in twips, whether it shows before the first loading, and the widest text it must
// hold (its caption when not given) within the top `textRoom` twips (0: all of it) and
// the left `textWidth` twips (0: all of it).
struct ControlSpec {
    QString name;
    Kind kind;
    QString caption;
    QColor colour;
    QRect twips;
    bool visible = true;
    QString fits = {};
    int textRoom = 0;
    int textWidth = 0;
};

const QColor kBandButtonColour(128, 255, 128);
const QColor kIndicatorColour(0, 255, 0);
const QColor kRedBar(192, 0, 0);
const QColor kGreenBar(0, 192, 0);
const QColor kNoticeColour(170, 0, 0);

// Eight of the widest letters: any label the setup dialog takes fits a relay button.
const QString kWidestLabel = QString(station::kRelayLabelLength, u'W');
constexpr int kFrameTitleRoom = 240; // twips from a frame's top to the controls in it
// The transmit hold stands at the start of the status row below the frames, clear of every
// frame's border; the notice about the board follows it.
const QRect kTxPlace(75, 6810, 390, 285);
const QRect kNoticePlace(525, 6840, 1560, 225);
// A relay's lamp sits just above its own button, well clear of the button above it.
constexpr int kLampHeight = 135;
constexpr int kLampGap = 30;
constexpr double kSmallestScale = 1; // never smaller than the design's own pixels

const QStringList kBandButtonNames{"Command1",  "Command22", "Command23", "Command24", "Command25",
                                   "Command26", "Command27", "Command28", "Command29"};
const QStringList kBandIndicatorNames{"Command14", "Command15", "Command16", "Command17", "Command18",
                                      "Command19", "Command20", "Command21", "Command30"};

// The band captions come from the one band table.
QString bandCaption(int b)
{
    return QString::fromLatin1(station::bandTable()[static_cast<std::size_t>(b)].caption);
}

// Band b (0..8): "160" .. "20" on the upper row, "17" .. "10" on the lower one.
QRect bandPlace(int b)
{
    const int column = b < 5 ? b : b - 5;
    return {195 + 480 * column, b < 5 ? 6000 : 6360, 375, 255};
}

int relayColumnLeft(int column)
{
    return 120 + 840 * column;
}
int relayRowTop(int row)
{
    return 4200 + 600 * row;
}

// Every control in z-order: later entries lie above earlier ones.
std::vector<ControlSpec> layoutTable()
{
    std::vector<ControlSpec> table;
    for (int i = 0; i < MonitorPanel::kGaugeCount; ++i)
        table.push_back({QStringLiteral("AGauge1_%1").arg(i),
                         Kind::Gauge,
                         {},
                         {},
                         {i % 2 == 0 ? 120 : 1800, 120 + 960 * (i / 2), 1575, 855}});
    for (int n = 1; n <= MonitorPanel::kRelayCount; ++n) {
        const int column = (n - 1) % 4;
        const int row = (n - 1) / 4;
        table.push_back({QStringLiteral("Command%1").arg(n + 1),
                         Kind::Button,
                         QStringLiteral("Relay%1").arg(n),
                         {},
                         {relayColumnLeft(column), relayRowTop(row), 735, 300},
                         true,
                         kWidestLabel});
    }
    // Each relay's red bar, then its green lamp over it.
    for (int green = 0; green < 2; ++green) {
        for (int n = 1; n <= MonitorPanel::kRelayCount; ++n) {
            const int column = (n - 1) % 4;
            const int row = (n - 1) / 4;
            table.push_back(
                {QStringLiteral("Picture1_%1").arg(green ? 15 + n : n - 1),
                 green ? Kind::OnBar : Kind::OffBar,
                 {},
                 green ? kGreenBar : kRedBar,
                 {relayColumnLeft(column) + 120, relayRowTop(row) - kLampGap - kLampHeight, 495, kLampHeight},
                 !green});
        }
    }
    table.push_back(
        {"Frame1", Kind::Frame, "Antenna/Band Switch", {}, {75, 5760, 2608, 975}, true, {}, kFrameTitleRoom});
    table.push_back({"Frame2", Kind::Frame, "OLE", {}, {2745, 5760, 615, 975}, true, {}, kFrameTitleRoom});
    for (int b = 0; b < MonitorPanel::kBandCount; ++b)
        table.push_back({kBandButtonNames[b], Kind::Button, bandCaption(b), kBandButtonColour, bandPlace(b)});
    for (int b = 0; b < MonitorPanel::kBandCount; ++b)
        table.push_back(
            {kBandIndicatorNames[b], Kind::Indicator, bandCaption(b), kIndicatorColour, bandPlace(b), false});
    table.push_back({"Label2", Kind::Label, {}, {}, {2115, 6360, 495, 255}, true, "0000"});
    table.push_back({"Command31", Kind::Button, "Off", {}, {2865, 6000, 375, 255}});
    table.push_back({"Command32", Kind::Button, "On", {}, {2865, 6360, 375, 255}});
    table.push_back({"Command33", Kind::Indicator, "Off", kIndicatorColour, {2865, 6000, 375, 255}});
    table.push_back({"Command34", Kind::Indicator, "On", kIndicatorColour, {2865, 6360, 375, 255}, false});
    table.push_back({"Command35", Kind::Tx, "TX", {}, kTxPlace, false});
    table.push_back({"Label1", Kind::Label, "Com Port", {}, {2160, 6840, 705, 225}});
    table.push_back({"Label3", Kind::Notice, "No reply from the board", kNoticeColour, kNoticePlace, false});
    table.push_back({"Picture2", Kind::Lamp, {}, QColor(110, 0, 0), {2880, 6840, 225, 225}});
    table.push_back({"Picture3", Kind::Lamp, {}, QColor(255, 40, 40), {2880, 6840, 225, 225}, false});
    table.push_back({"Picture4", Kind::Lamp, {}, QColor(0, 90, 0), {3120, 6840, 225, 225}});
    table.push_back({"Picture5", Kind::Lamp, {}, QColor(40, 255, 40), {3120, 6840, 225, 225}, false});
    return table;
}

QWidget *createControl(const ControlSpec &spec, QWidget *parent)
{
    QWidget *widget = nullptr;
    switch (spec.kind) {
    case Kind::Gauge: widget = new AGauge(parent); break;
    case Kind::Button: widget = new FittingButton(spec.caption, parent); break;
    case Kind::Indicator: widget = new IndicatorButton(spec.caption, parent); break;
    case Kind::Tx: widget = new TxIndicator(spec.caption, parent); break;
    case Kind::OffBar: widget = new LampBar(LampBar::Look::Outlined, parent); break;
    case Kind::OnBar: widget = new LampBar(LampBar::Look::FilledAndTicked, parent); break;
    case Kind::Lamp: widget = new RoundLamp(spec.colour, parent); break;
    case Kind::Frame: widget = new QGroupBox(spec.caption, parent); break;
    case Kind::Label:
    case Kind::Notice: {
        auto *label = new QLabel(spec.caption, parent);
        label->setAlignment((spec.kind == Kind::Notice ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
        widget = label;
        break;
    }
    }
    if (spec.colour.isValid() && spec.kind != Kind::Lamp) {
        QPalette palette = widget->palette();
        const bool bar = spec.kind == Kind::OffBar || spec.kind == Kind::OnBar;
        palette.setColor(bar                         ? QPalette::Window
                         : spec.kind == Kind::Notice ? QPalette::WindowText
                                                     : QPalette::Button,
                         spec.colour);
        widget->setPalette(palette);
    }
    widget->setObjectName(spec.name);
    widget->setVisible(spec.visible);
    return widget;
}

// The room the style leaves a caption inside a control `probe` of this kind, as the
// pixels the control needs beyond its text.
QSizeF textInsets(Kind kind, QWidget *probe, const QFont &font, const QString &text)
{
    const QRect big(0, 0, 400, 200);
    switch (kind) {
    case Kind::Button:
    case Kind::Indicator:
    case Kind::Tx: {
        QStyleOptionButton option;
        option.initFrom(probe);
        option.rect = big;
        option.text = text;
        option.fontMetrics = QFontMetrics(font);
        const QRect contents = probe->style()->subElementRect(QStyle::SE_PushButtonContents, &option, probe);
        return QSizeF(big.width() - contents.width(), big.height() - contents.height());
    }
    case Kind::Frame: {
        QStyleOptionGroupBox option;
        option.initFrom(probe);
        option.rect = big;
        option.text = text;
        option.fontMetrics = QFontMetrics(font);
        option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
        option.lineWidth = 1;
        option.textAlignment = Qt::AlignLeft;
        const QRect label =
            probe->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, probe);
        const QFontMetricsF metrics(font);
        // The title is indented as far from the right edge as from the left one.
        return QSizeF(2 * label.left() + label.width() - metrics.horizontalAdvance(text),
                      label.bottom() + 1 - metrics.height());
    }
    default: return {0, 0};
    }
}

} // namespace

struct MonitorPanel::Placed {
    ControlSpec spec;
    QWidget *widget;
};

MonitorPanel::MonitorPanel(QWidget *parent) : QWidget(parent), m_baseFont(QApplication::font(this))
{
    for (const ControlSpec &spec : layoutTable()) {
        QWidget *widget = createControl(spec, this);
        widget->raise();
        m_placed.push_back({spec, widget});
    }
    m_baseScale = fittingScale(m_baseFont);

    for (int i = 0; i < kGaugeCount; ++i)
        m_gauges[i] = control<AGauge>(QStringLiteral("AGauge1_%1").arg(i));
    for (int n = 1; n <= kRelayCount; ++n) {
        m_relayButtons[n - 1] = control<QPushButton>(QStringLiteral("Command%1").arg(n + 1));
        m_relayLamps[n - 1] = control<QWidget>(QStringLiteral("Picture1_%1").arg(15 + n));
    }
    for (int b = 0; b < kBandCount; ++b) {
        m_bandButtons[b] = control<QPushButton>(kBandButtonNames[b]);
        m_bandIndicators[b] = control<QPushButton>(kBandIndicatorNames[b]);
    }
    m_label2 = control<QLabel>("Label2");
    m_label3 = control<QLabel>("Label3");
    m_command31 = control<QPushButton>("Command31");
    m_command32 = control<QPushButton>("Command32");
    m_command33 = control<QPushButton>("Command33");
    m_command34 = control<IndicatorButton>("Command34");
    m_txIndicator = control<TxIndicator>("Command35");
    m_picture3 = control<QWidget>("Picture3");
    m_picture5 = control<QWidget>("Picture5");

    resize(sizeHint());
    layOut();
}

MonitorPanel::~MonitorPanel() = default;

template <typename T>
T *MonitorPanel::control(const QString &name) const
{
    T *widget = findChild<T *>(name, Qt::FindDirectChildrenOnly);
    Q_ASSERT(widget);
    return widget;
}

void MonitorPanel::setRelayCaption(int relay, const QString &caption)
{
    QPushButton *button = relayButton(relay);
    button->setText(caption);
    button->setToolTip(caption.size() > station::kRelayLabelLength ? caption : QString());
}

void MonitorPanel::setBoardNotice(const QString &notice, const QString &detail)
{
    if (!notice.isEmpty())
        m_label3->setText(notice);
    m_label3->setToolTip(detail);
    m_label3->setVisible(!notice.isEmpty());
    for (AGauge *gauge : m_gauges)
        gauge->setNoReading(!notice.isEmpty());
}

void MonitorPanel::setLinkAway(const QString &why)
{
    QPalette shown = m_command32->palette();
    shown.setColor(QPalette::Active, QPalette::ButtonText,
                   why.isEmpty() ? QPalette().color(QPalette::Active, QPalette::ButtonText)
                                 : shown.color(QPalette::Disabled, QPalette::ButtonText));
    shown.setColor(QPalette::Inactive, QPalette::ButtonText, shown.color(QPalette::Active, QPalette::ButtonText));
    m_command32->setPalette(shown);
    m_command32->setToolTip(why);
    m_command34->setWaiting(why);
}

double MonitorPanel::fittingScale(const QFont &font) const
{
    return std::max(kSmallestScale, textScale(font));
}

double MonitorPanel::textScale(const QFont &font) const
{
    double scale = 0;
    for (const Placed &placed : m_placed) {
        const ControlSpec &spec = placed.spec;
        const QString text = spec.fits.isEmpty() ? spec.caption : spec.fits;
        if (text.isEmpty())
            continue;
        const bool indicator = spec.kind == Kind::Indicator || spec.kind == Kind::Tx;
        QFont shown = font;
        shown.setBold(indicator);
        const QFontMetricsF metrics(shown);
        const QSizeF inset = textInsets(spec.kind, placed.widget, shown, text);
        double width = (spec.textWidth ? spec.textWidth : spec.twips.width()) / double(kTwipsPerPixel);
        double height = (spec.textRoom ? spec.textRoom : spec.twips.height()) / double(kTwipsPerPixel);
        // An indicator's frame grows with its height (an eighth, at least 2 pixels a side).
        double extra = 1; // rounding of the control's edges to whole pixels
        if (indicator) {
            extra += 4;
            width -= height / 4;
            height -= height / 4;
        }
        scale = std::max({scale, (metrics.horizontalAdvance(text) + inset.width() + extra) / width,
                          (metrics.height() + inset.height() + extra) / height});
    }
    return scale;
}

// Sizes are rounded on their own, not as the difference of rounded edges: controls of one
// size in the design stay one size on screen, and so keep one caption font.
QRect MonitorPanel::placeOf(const QRect &twips) const
{
    const auto pixels = [this](double twipsValue) { return twipsValue * m_scale / kTwipsPerPixel; };
    return QRect(int(std::lround(m_origin.x() + pixels(twips.x()))), int(std::lround(m_origin.y() + pixels(twips.y()))),
                 int(std::lround(pixels(twips.width()))), int(std::lround(pixels(twips.height()))));
}

QSize MonitorPanel::sizeHint() const
{
    return QSize(int(std::ceil(kDesignWidthTwips * m_baseScale / kTwipsPerPixel)),
                 int(std::ceil(kDesignHeightTwips * m_baseScale / kTwipsPerPixel)));
}

// Half the size at which the running font fits: still every text whole, in half its size.
QSize MonitorPanel::minimumSizeHint() const
{
    return sizeHint() / 2;
}

QFont MonitorPanel::fontAt(double zoom) const
{
    return scaledFont(m_baseFont, zoom);
}

void MonitorPanel::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ApplicationFontChange) {
        m_baseFont = QApplication::font(this);
        m_baseScale = fittingScale(m_baseFont);
        updateGeometry();
        layOut();
    }
}

void MonitorPanel::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layOut();
}

void MonitorPanel::layOut()
{
    const double designWidth = kDesignWidthTwips / double(kTwipsPerPixel);
    const double designHeight = kDesignHeightTwips / double(kTwipsPerPixel);
    const double scale = std::min(width() / designWidth, height() / designHeight);
    if (!(scale > 0))
        return;
    m_scale = scale;
    m_origin = QPointF((width() - designWidth * scale) / 2, (height() - designHeight * scale) / 2);

    // The text grows and shrinks with the panel, as far as it still fits at this scale;
    // font sizes do not scale quite in proportion, hence the correction.
    double zoom = scale / m_baseScale;
    QFont shown = fontAt(zoom);
    for (int tries = 0; tries < 6; ++tries) {
        const double needed = textScale(shown);
        if (needed <= scale)
            break;
        zoom *= scale / needed * 0.995;
        shown = fontAt(zoom);
    }
    setFont(shown);
    for (const Placed &placed : m_placed)
        placed.widget->setGeometry(placeOf(placed.spec.twips));
}

} // namespace tovana
