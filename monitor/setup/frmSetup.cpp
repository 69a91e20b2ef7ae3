// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "frmSetup.h"

#include "LimitsTab.h"
#include "Station.h"
#include "StationHost.h"
#include "Message.h"
#include "MonitorPanel.h"
#include "frmMonitor.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QValidator>
#include <QVBoxLayout>
#include <algorithm>

namespace tovana {

namespace {

using station::kRelayCount;
using station::kRelayLabelLength;
constexpr int kTwips = station::kTwipsPerPixel;

const std::array<const char *, kRelayCount> kRelayBoxNames{"Text2",  "Text4",  "Text6",  "Text10", "Text11", "Text12",
                                                           "Text13", "Text14", "Text15", "Text16", "Text17", "Text18"};
const std::array<const char *, frmSetup::kSpeedOptionCount> kSpeeds{"1200", "2400", "4800", "9600", "19200"};

template <typename T>
T *named(T *widget, const char *name)
{
    widget->setObjectName(name);
    return widget;
}

QLineEdit *textBox(const char *name, const QString &text)
{
    return named(new QLineEdit(text), name);
}

// A number box named after the label beside it, so a message can name it too.
QLineEdit *numberBox(const char *name, const QString &text, const QString &label)
{
    QLineEdit *box = textBox(name, text);
    box->setAccessibleName(label);
    return box;
}

QScrollBar *scrollBar(const char *name, int min, int max, int small, int large, int value)
{
    auto *bar = named(new QScrollBar(Qt::Horizontal), name);
    bar->setRange(min, max);
    bar->setSingleStep(small);
    bar->setPageStep(large);
    bar->setValue(value);
    return bar;
}

// Keeps a relay label within its room: the label length, or a longer loaded label's
// length, which only shrinks with the label. What typing or pasting puts past the room is
// cut, and a space the cut leaves last goes too: the operator typed on after it, so it was
// never meant to end the label. The label is then full as it stands until something in it
// is deleted, so what is typed next cannot take the place of the cut space.
class LabelRoom : public QValidator {
public:
    LabelRoom(int *room, QObject *parent) : QValidator(parent), m_room(room) {}

    State validate(QString &input, int &position) const override
    {
        if (input.size() > *m_room) {
            input.truncate(*m_room);
            while (input.endsWith(u' '))
                input.chop(1);
            position = std::min<int>(position, input.size());
            *m_room = int(input.size());
        } else if (input.size() < *m_room) {
            *m_room = std::max<int>(kRelayLabelLength, input.size());
        }
        return Acceptable;
    }

private:
    int *m_room;
};

} // namespace

frmSetup::frmSetup(frmMonitor *monitor)
    : QWidget(monitor, Qt::Window)
    , m_monitor(monitor)
    , m_host(monitor->host())
    , m_station(m_host->station())
    , m_tabs(named(new QTabWidget, "SSTab1"))
{
    setObjectName("frmSetup");
    setWindowTitle("Setup");
    m_tabs->addTab(buildComPortTab(), "Com Port");
    m_tabs->addTab(buildMetersTab(), "Meters");
    m_tabs->addTab(buildRelaysTab(), "Relays");
    m_limitsTab = named(new LimitsTab(*m_host), "LimitsTab");
    m_tabs->addTab(m_limitsTab, "Limits");
    connect(m_limitsTab, &LimitsTab::refused, this, &frmSetup::showMessage);
    m_tabs->setCurrentIndex(1);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_tabs);
    resize(6030 / kTwips, 4575 / kTwips);
    connectMeterActions();
    loadStation();
    m_station.addObserver(this);
}

frmSetup::~frmSetup()
{
    m_station.removeObserver(this);
}

QWidget *frmSetup::buildComPortTab()
{
    auto *tab = new QWidget;
    auto *ports = new QGroupBox("Select Com Port");
    auto *portColumn = new QGridLayout(ports);
    for (int k = 0; k < kPortOptionCount; ++k) {
        m_options[k] = new QRadioButton(QStringLiteral("Com %1").arg(k + 1));
        m_options[k]->setObjectName(QStringLiteral("Option1_%1").arg(k));
        portColumn->addWidget(m_options[k], k % 5, k / 5);
    }
    auto *speeds = new QGroupBox("Set Baud Rate");
    auto *speedColumn = new QVBoxLayout(speeds);
    for (int k = 0; k < kSpeedOptionCount; ++k) {
        QRadioButton *&option = m_options[kPortOptionCount + k];
        option = new QRadioButton(kSpeeds[k]);
        option->setObjectName(QStringLiteral("Option1_%1").arg(kPortOptionCount + k));
        speedColumn->addWidget(option);
    }
    auto *speedSide = new QVBoxLayout;
    speedSide->addWidget(speeds);
    auto *apply = named(new QPushButton("Apply"), "Command2");
    connect(apply, &QPushButton::clicked, this, &frmSetup::applyPort);
    speedSide->addWidget(apply, 0, Qt::AlignLeft);
    speedSide->addStretch();

    auto *columns = new QHBoxLayout;
    columns->addWidget(ports, 0, Qt::AlignTop);
    columns->addLayout(speedSide);
    // Unlike the port, the interlock works from the moment it is ticked.
    m_holdWhileTx = named(new QCheckBox("Hold band relays while transmitting"), "Check1");
    m_holdWhileTx->setToolTip(QStringLiteral("While the radio transmits, no band code goes out; the band "
                                             "relays follow once it is back on receive."));
    connect(m_holdWhileTx, &QCheckBox::toggled, this,
            [this](bool on) { m_host->perform(m_station.setHoldWhileTx(on)); });

    auto *layout = new QVBoxLayout(tab);
    layout->addLayout(columns);
    layout->addWidget(m_holdWhileTx);
    layout->addStretch();
    auto *note = new QLabel("Note:  Com Settings will take effect after Setup window is closed.");
    note->setWordWrap(true);
    layout->addWidget(note);
    return tab;
}

QWidget *frmSetup::buildMetersTab()
{
    auto *tab = new QWidget;

    m_meterChoice = named(new QComboBox, "Combo1");
    m_meterChoice->setEditable(true);
    m_meterChoice->setInsertPolicy(QComboBox::NoInsert); // typed text never becomes a meter
    for (int i = 1; i <= station::kMeterCount; ++i)
        m_meterChoice->addItem(QStringLiteral("Meter %1").arg(i));
    m_title = textBox("Text1", "Volts DC");
    QFont bold = m_title->font();
    bold.setBold(true);
    m_title->setFont(bold);
    m_zero = numberBox("Text8", "0", "Zero Value");
    m_full = numberBox("Text9", "5", "Full Scale Value");

    auto *meter = new QGridLayout;
    meter->addWidget(new QLabel("Select Meter to Setup"), 0, 0, 1, 2);
    meter->addWidget(m_meterChoice, 1, 0, 1, 2);
    meter->addWidget(new QLabel("Enter Title"), 2, 0, 1, 2);
    meter->addWidget(m_title, 3, 0, 1, 2);
    meter->addWidget(new QLabel(m_zero->accessibleName()), 4, 0);
    meter->addWidget(m_zero, 4, 1);
    meter->addWidget(new QLabel(m_full->accessibleName()), 5, 0);
    meter->addWidget(m_full, 5, 1);
    auto *scaleApply = named(new QPushButton("Apply"), "Command12");
    connect(scaleApply, &QPushButton::clicked, this, &frmSetup::applyScale);
    meter->addWidget(scaleApply, 6, 1);

    auto *bands = new QGroupBox("Setup Color Bands");
    auto *bandGrid = new QGridLayout(bands);
    const std::array<std::pair<const char *, const char *>, 3> bandControls{
        {{"Command4", "Text3"}, {"Command5", "Text5"}, {"Command6", "Text7"}}};
    const std::array<const char *, 3> bandEnds{"2", "4", "5"};
    for (int n = 0; n < 3; ++n) {
        const QString label = QStringLiteral("Color Band %1 - End Value").arg(n + 1);
        m_bandEnds[n] = numberBox(bandControls[n].second, bandEnds[n], label);
        auto *colour = named(new QPushButton("Color"), bandControls[n].first);
        m_colourButtons[n] = colour;
        connect(colour, &QPushButton::clicked, this, [this, n] { pickColour(n); });
        bandGrid->addWidget(new QLabel(label), 2 * n, 0, 1, 2);
        bandGrid->addWidget(colour, 2 * n + 1, 0);
        bandGrid->addWidget(m_bandEnds[n], 2 * n + 1, 1);
    }
    auto *bandApply = named(new QPushButton("Apply"), "Command10");
    connect(bandApply, &QPushButton::clicked, this, &frmSetup::applyBands);
    bandGrid->addWidget(bandApply, 6, 1);

    auto *divisions = new QGroupBox("Divisions");
    m_divisions = scrollBar("HScroll2", 0, 9, 1, 1, 0);
    m_divisionsText = named(new QLabel("0"), "DivisionsValue");
    auto *divisionsRow = new QHBoxLayout(divisions);
    divisionsRow->addWidget(m_divisions, 1);
    divisionsRow->addWidget(m_divisionsText);

    auto *responseFrame = new QGroupBox("Meter Reponse");
    m_response = scrollBar("HScroll3", 0, 32767, 1000, 5000, 15000);
    m_response->setInvertedAppearance(true); // slow (32767) at the left, fast (0) at the right
    connect(m_response, &QScrollBar::valueChanged, this, &frmSetup::responseSet);
    auto *responseGrid = new QGridLayout(responseFrame);
    responseGrid->addWidget(m_response, 0, 0, 1, 2);
    responseGrid->addWidget(new QLabel("Slow"), 1, 0, Qt::AlignLeft);
    responseGrid->addWidget(new QLabel("Fast"), 1, 1, Qt::AlignRight);

    auto *multiplier = new QGroupBox("Multiplier");
    auto *multiplierRow = new QHBoxLayout(multiplier);
    m_multiplier = scrollBar("HScroll4", 1, 1000, 1, 10, 100);
    m_multiplierText = named(new QLabel, "Label8");
    multiplierRow->addWidget(m_multiplier, 1);
    multiplierRow->addWidget(m_multiplierText);

    auto *top = new QHBoxLayout;
    top->addLayout(meter);
    top->addWidget(bands);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(divisions);
    bottom->addWidget(responseFrame);
    bottom->addWidget(multiplier);
    auto *layout = new QVBoxLayout(tab);
    layout->addLayout(top);
    layout->addLayout(bottom);
    // Tight enough to fit the dialog's designed size.
    for (QLayout *each :
         {static_cast<QLayout *>(meter), static_cast<QLayout *>(bandGrid), static_cast<QLayout *>(layout)})
        each->setSpacing(3);
    layout->setContentsMargins(6, 4, 6, 4);
    bandGrid->setContentsMargins(6, 4, 6, 4);
    return tab;
}

QWidget *frmSetup::buildRelaysTab()
{
    auto *tab = new QWidget;
    auto *layout = new QVBoxLayout(tab);
    auto *instruction =
        new QLabel("Enter a button label up to 8 characters long in the box above each relay position.");
    instruction->setWordWrap(true);
    layout->addWidget(instruction);
    auto *grid = new QGridLayout;
    for (int n = 1; n <= kRelayCount; ++n) {
        const int row = (n - 1) / 4;
        const int column = (n - 1) % 4;
        QLineEdit *box = textBox(kRelayBoxNames[n - 1], {});
        m_labelRoom[n - 1] = kRelayLabelLength;
        box->setValidator(new LabelRoom(&m_labelRoom[n - 1], box));
        m_relayBoxes[n - 1] = box;
        // Only a real change of the text retitles the button; setting the same text is none.
        connect(box, &QLineEdit::textChanged, this, [this, box, n](const QString &text) {
            m_station.setRelayLabel(n, text.toStdString());
            box->setToolTip(text.size() > kRelayLabelLength ? text : QString());
        });
        grid->addWidget(box, 2 * row, column);
        grid->addWidget(new QLabel(QStringLiteral("Relay %1").arg(n)), 2 * row + 1, column, Qt::AlignTop);
    }
    layout->addLayout(grid);
    layout->addStretch();
    return tab;
}

// A stored label longer than the box takes when typing is shown, used and saved whole.
void frmSetup::setRelayLabel(int relay, const QString &text)
{
    m_labelRoom[relay - 1] = std::max<int>(kRelayLabelLength, text.size());
    relayLabelBox(relay)->setText(text);
}

void frmSetup::selectPortOption(int number)
{
    if (number >= 1 && number <= kPortOptionCount)
        m_options[number - 1]->setChecked(true);
}

void frmSetup::selectSpeedOption(const QString &settings, QChar parity)
{
    for (int k = 0; k < kSpeedOptionCount; ++k) {
        if (settings == QStringLiteral("%1,%2,8,1").arg(kSpeeds[k]).arg(parity))
            m_options[kPortOptionCount + k]->setChecked(true);
    }
}

void frmSetup::setResponse(int value)
{
    const int before = m_response->value();
    m_response->setValue(value);
    // The slider reports only moves; setting it to where it stands must still count.
    if (m_response->value() == before)
        responseSet();
}

void frmSetup::setHoldWhileTx(bool on)
{
    const QSignalBlocker quiet(m_holdWhileTx);
    m_holdWhileTx->setChecked(on);
}

int frmSetup::response() const
{
    return m_response->value();
}

void frmSetup::responseSet()
{
    m_station.setMeterResponse(m_response->value());
}

// The picked port and speed are stored and the port closes; it stays closed until the
// dialog closes and the main window's activation opens it with them.
void frmSetup::applyPort()
{
    station::PortConfig port = m_station.port();
    for (int k = 0; k < kPortOptionCount; ++k) {
        if (m_options[k]->isChecked())
            port.number = k + 1;
    }
    for (int k = 0; k < kSpeedOptionCount; ++k) {
        if (m_options[kPortOptionCount + k]->isChecked())
            port.settings = QStringLiteral("%1,N,8,1").arg(kSpeeds[k]).toStdString();
    }
    m_host->perform(m_station.setPort(port.number, port.settings));
}

// What the dialog shows of the station, taken when it is made: relay labels, port, speed,
// response and the hold.
void frmSetup::loadStation()
{
    for (int n = 1; n <= kRelayCount; ++n)
        setRelayLabel(n, QString::fromStdString(m_station.relay(n).label));
    selectPortOption(m_station.port().number);
    const QString settings = QString::fromStdString(m_station.port().settings);
    selectSpeedOption(settings, QLatin1Char('N'));
    selectSpeedOption(settings, QLatin1Char('n'));
    if (m_station.responseLoaded())
        setResponse(m_station.meterResponse());
    setHoldWhileTx(m_station.holdWhileTx());
}

// Another view (the network) may change what the dialog shows while it is open.
void frmSetup::stationChanged(station::StationChange change, int index)
{
    using station::StationChange;
    if (change == StationChange::Relay && relayLabelBox(index)->text().toStdString() != m_station.relay(index).label)
        setRelayLabel(index, QString::fromStdString(m_station.relay(index).label));
    if (change == StationChange::Hold)
        setHoldWhileTx(m_station.holdWhileTx());
    if (change == StationChange::Meter && index == m_meter)
        showBandColours();
}

void frmSetup::showMessage(const QString &text)
{
    tovana::showMessage(this, text);
}

void frmSetup::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // Each showing by the program loads meter 1; a restore by the window system does not.
    if (!event->spontaneous())
        loadMeter(0, Loading::Activation);
}

void frmSetup::closeEvent(QCloseEvent *event)
{
    m_host->save();
    event->accept();
    deleteLater();
    m_monitor->setupClosed(this);
}

} // namespace tovana
