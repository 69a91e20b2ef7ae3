// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "MonitorPanel.h"

#include "AGauge.h"

#include <QGroupBox>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QRadialGradient>
#include <vector>

namespace tovana {

namespace {

enum class Kind { Gauge, Button, Bar, Lamp, Frame, Label };

// One control of the panel: design name, kind, caption, colour (invalid = the style's),
// place in twips, and whether it shows before the first loading.
struct ControlSpec {
    QString name;
    Kind kind;
    QString caption;
    QColor colour;
    QRect twips;
    bool visible = true;
};

const QColor kBandButtonColour(128, 255, 128);
const QColor kIndicatorColour(0, 255, 0);
const QColor kRedBar(192, 0, 0);
const QColor kGreenBar(0, 192, 0);

const QStringList kBandCaptions{"160", "80", "40", "30", "20", "17", "15", "12", "10"};
const QStringList kBandButtonNames{"Command1", "Command22", "Command23", "Command24", "Command25",
                                   "Command26", "Command27", "Command28", "Command29"};
const QStringList kBandIndicatorNames{"Command14", "Command15", "Command16", "Command17", "Command18",
                                      "Command19", "Command20", "Command21", "Command30"};

// Band b (0..8): "160" .. "20" on the upper row, "17" .. "10" on the lower one.
QRect bandPlace(int b)
{
    const int column = b < 5 ? b : b - 5;
    return {195 + 480 * column, b < 5 ? 6000 : 6360, 375, 255};
}

int relayColumnLeft(int column) { return 120 + 840 * column; }
int relayRowTop(int row) { return 4200 + 600 * row; }

// Every control in z-order: later entries lie above earlier ones.
std::vector<ControlSpec> layoutTable()
{
    std::vector<ControlSpec> table;
    for (int i = 0; i < MonitorPanel::kGaugeCount; ++i)
        table.push_back({QStringLiteral("AGauge1_%1").arg(i), Kind::Gauge, {}, {},
                         {i % 2 == 0 ? 120 : 1800, 120 + 960 * (i / 2), 1575, 855}});
    for (int n = 1; n <= MonitorPanel::kRelayCount; ++n) {
        const int column = (n - 1) % 4;
        const int row = (n - 1) / 4;
        table.push_back({QStringLiteral("Command%1").arg(n + 1), Kind::Button, QStringLiteral("Relay%1").arg(n),
                         {}, {relayColumnLeft(column), relayRowTop(row), 735, 300}});
    }
    // Each relay's red bar, then its green lamp over it.
    for (int green = 0; green < 2; ++green) {
        for (int n = 1; n <= MonitorPanel::kRelayCount; ++n) {
            const int column = (n - 1) % 4;
            const int row = (n - 1) / 4;
            table.push_back({QStringLiteral("Picture1_%1").arg(green ? 15 + n : n - 1), Kind::Bar, {},
                             green ? kGreenBar : kRedBar,
                             {relayColumnLeft(column) + 120, relayRowTop(row) - 240, 495, 135}, !green});
        }
    }
    table.push_back({"Frame1", Kind::Frame, "Antenna/Band Switch", {}, {75, 5760, 2608, 975}});
    table.push_back({"Frame2", Kind::Frame, "OLE", {}, {2745, 5760, 615, 975}});
    for (int b = 0; b < MonitorPanel::kBandCount; ++b)
        table.push_back({kBandButtonNames[b], Kind::Button, kBandCaptions[b], kBandButtonColour, bandPlace(b)});
    for (int b = 0; b < MonitorPanel::kBandCount; ++b)
        table.push_back({kBandIndicatorNames[b], Kind::Button, kBandCaptions[b], kIndicatorColour, bandPlace(b), false});
    table.push_back({"Label2", Kind::Label, {}, {}, {2115, 6360, 495, 255}});
    table.push_back({"Command31", Kind::Button, "Off", {}, {2865, 6000, 375, 255}});
    table.push_back({"Command32", Kind::Button, "On", {}, {2865, 6360, 375, 255}});
    table.push_back({"Command33", Kind::Button, "Off", kIndicatorColour, {2865, 6000, 375, 255}});
    table.push_back({"Command34", Kind::Button, "On", kIndicatorColour, {2865, 6360, 375, 255}, false});
    table.push_back({"Label1", Kind::Label, "Com Port", {}, {2160, 6840, 705, 225}});
    table.push_back({"Picture2", Kind::Lamp, {}, QColor(110, 0, 0), {2880, 6840, 225, 225}});
    table.push_back({"Picture3", Kind::Lamp, {}, QColor(255, 40, 40), {2880, 6840, 225, 225}, false});
    table.push_back({"Picture4", Kind::Lamp, {}, QColor(0, 90, 0), {3120, 6840, 225, 225}});
    table.push_back({"Picture5", Kind::Lamp, {}, QColor(40, 255, 40), {3120, 6840, 225, 225}, false});
    return table;
}

// A 15 x 15 round lamp with a highlight, as the activity lamps show it.
QPixmap lampImage(const QColor &colour, qreal dpr)
{
    QPixmap image(QSize(15, 15) * dpr);
    image.setDevicePixelRatio(dpr);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QRadialGradient glow(QPointF(6, 5.5), 8);
    glow.setColorAt(0, colour.lighter(170));
    glow.setColorAt(1, colour);
    p.setBrush(glow);
    p.setPen(QPen(colour.darker(180), 1));
    p.drawEllipse(QRectF(1.5, 1.5, 12, 12));
    return image;
}

QWidget *createControl(const ControlSpec &spec, QWidget *parent)
{
    QWidget *widget = nullptr;
    switch (spec.kind) {
    case Kind::Gauge:
        widget = new AGauge(parent);
        break;
    case Kind::Button:
        widget = new QPushButton(spec.caption, parent);
        break;
    case Kind::Bar:
        widget = new QWidget(parent);
        widget->setAutoFillBackground(true);
        break;
    case Kind::Lamp: {
        auto *label = new QLabel(parent);
        label->setPixmap(lampImage(spec.colour, parent->devicePixelRatioF()));
        widget = label;
        break;
    }
    case Kind::Frame:
        widget = new QGroupBox(spec.caption, parent);
        break;
    case Kind::Label:
        widget = new QLabel(spec.caption, parent);
        break;
    }
    if (spec.colour.isValid() && spec.kind != Kind::Lamp) {
        QPalette palette = widget->palette();
        palette.setColor(spec.kind == Kind::Bar ? QPalette::Window : QPalette::Button, spec.colour);
        widget->setPalette(palette);
    }
    widget->setObjectName(spec.name);
    const QRect &t = spec.twips;
    const int px = MonitorPanel::kTwipsPerPixel;
    widget->setGeometry(t.x() / px, t.y() / px, t.width() / px, t.height() / px);
    widget->setVisible(spec.visible);
    return widget;
}

} // namespace

MonitorPanel::MonitorPanel(QWidget *parent)
    : QWidget(parent)
{
    setFixedSize(3480 / kTwipsPerPixel, 7155 / kTwipsPerPixel);
    // A small panel font, as the design's places were measured for.
    QFont small = font();
    small.setPixelSize(10);
    setFont(small);
    for (const ControlSpec &spec : layoutTable())
        createControl(spec, this)->raise();

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
    m_command31 = control<QPushButton>("Command31");
    m_command32 = control<QPushButton>("Command32");
    m_command33 = control<QPushButton>("Command33");
    m_command34 = control<QPushButton>("Command34");
    m_picture3 = control<QWidget>("Picture3");
    m_picture5 = control<QWidget>("Picture5");
}

template <typename T>
T *MonitorPanel::control(const QString &name) const
{
    T *widget = findChild<T *>(name, Qt::FindDirectChildrenOnly);
    Q_ASSERT(widget);
    return widget;
}

} // namespace tovana
