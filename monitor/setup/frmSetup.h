// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The setup dialog: tabs "Com Port", "Meters", "Relays" and "Limits", a view of the station and the
// controller of its edits; it keeps no copy of the station's state. Made when the operator
// asks for it, it shows the relay labels, port and speed, transmit hold and response; each
// showing loads meter 1 into the "Meters" tab. Every edit goes straight to the station
// (which the panel shows at once), the multiplier also straight to the store; the port is
// the station's to close. A box that holds no number is refused with a message and changes
// nothing. Closing the dialog saves every setting, gives the main window back and destroys it.
#pragma once

#include "StationObserver.h"

#include <QColor>
#include <QWidget>
#include <array>
#include <initializer_list>

class QCheckBox;
class QColorDialog;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QScrollBar;
class QTabWidget;

namespace tovana {

class LimitsTab;
class StationHost;
class frmMonitor;

namespace station {
class Station;
}

class frmSetup : public QWidget, public station::StationObserver {
    Q_OBJECT
public:
    static constexpr int kPortOptionCount = 10; // Option1_0..9: "Com 1".."Com 10"
    static constexpr int kSpeedOptionCount = 5; // Option1_10..14: "1200".."19200"

    explicit frmSetup(frmMonitor *monitor);
    ~frmSetup() override;

    // Relay n (1..12): its label box; a real change of the text retitles the relay button.
    // Typing stops at kRelayLabelLength characters; a longer label set here stays whole.
    QLineEdit *relayLabelBox(int relay) const { return m_relayBoxes.at(relay - 1); }
    void setRelayLabel(int relay, const QString &text);

    // Selects the port button of number 1..10; other numbers select none. Never clears.
    void selectPortOption(int number);
    // Selects the speed button whose string, written with `parity` ("19200,N,8,1" or
    // "19200,n,8,1"), equals `settings` exactly; otherwise none. Never clears.
    void selectSpeedOption(const QString &settings, QChar parity);

    // Moves the response slider (clamped to its range) and, even when it does not move,
    // hands its position to the station.
    void setResponse(int value);
    int response() const;

    // Ticks or clears "Hold band relays while transmitting" as the station has it; a click
    // on the box works at once.
    void setHoldWhileTx(bool on);

    // The meter (0..7) that the "Meters" tab addresses.
    int currentMeter() const { return m_meter; }

    void stationChanged(station::StationChange change, int index) override;

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    enum class Loading { Activation, Picking };

    QWidget *buildComPortTab();
    QWidget *buildMetersTab();
    QWidget *buildRelaysTab();
    void connectMeterActions();
    void responseSet();
    void applyPort();
    void loadStation();

    // The "Meters" tab's actions.
    void loadMeter(int meter, Loading how);
    void loadMultiplier();
    void pickMeter();
    void titleEdited(const QString &title);
    void applyScale();
    void applyBands();
    QColor bandColour(int band) const;
    void showBandColours();
    void pickColour(int band);
    void colourPicked(const QColor &colour);
    void divisionsMoved(int count);
    void multiplierMoved(int position);
    bool holdNumbers(std::initializer_list<const QLineEdit *> boxes);
    void showMessage(const QString &text);

    frmMonitor *m_monitor;
    StationHost *m_host;
    station::Station &m_station;
    QTabWidget *m_tabs;
    LimitsTab *m_limitsTab = nullptr;
    std::array<QRadioButton *, kPortOptionCount + kSpeedOptionCount> m_options{};
    std::array<QLineEdit *, 12> m_relayBoxes{};
    std::array<int, 12> m_labelRoom{}; // the longest label each box takes now
    QScrollBar *m_response = nullptr;
    QCheckBox *m_holdWhileTx = nullptr; // Check1

    int m_meter = 0;
    QComboBox *m_meterChoice = nullptr;             // Combo1
    QLineEdit *m_title = nullptr;                   // Text1
    QLineEdit *m_zero = nullptr;                    // Text8
    QLineEdit *m_full = nullptr;                    // Text9
    std::array<QLineEdit *, 3> m_bandEnds{};        // Text3, Text5, Text7: bands 1..3 (annuli 2..4)
    QScrollBar *m_divisions = nullptr;              // HScroll2
    QLabel *m_divisionsText = nullptr;              // its value
    std::array<QPushButton *, 3> m_colourButtons{}; // Command4, Command5, Command6
    QScrollBar *m_multiplier = nullptr;             // HScroll4
    QLabel *m_multiplierText = nullptr;             // Label8

    // CommonDialog1: made on the first "Color", kept for the dialog's life.
    QColorDialog *m_picker = nullptr;
    int m_pickingBand = 0;
};

} // namespace tovana
