// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The main window's client area: every visible control at its designed place (twips / 15),
// built from one layout table in z-order, each named by its design name. The panel only
// holds the controls; what they do is wired by frmMonitor. A state (relay on, band
// selected, band following on) is the visibility of the control that shows it.
#pragma once

#include <QWidget>
#include <array>

class QLabel;
class QPushButton;

namespace tovana {

class AGauge;

class MonitorPanel : public QWidget {
    Q_OBJECT
public:
    static constexpr int kGaugeCount = 8;
    static constexpr int kRelayCount = 12;
    static constexpr int kBandCount = 9;
    static constexpr int kTwipsPerPixel = 15;

    explicit MonitorPanel(QWidget *parent = nullptr);

    AGauge *gauge(int index) const { return m_gauges.at(index); }              // AGauge1_0..7
    QPushButton *relayButton(int relay) const { return m_relayButtons.at(relay - 1); }  // Command2..13
    QWidget *relayLamp(int relay) const { return m_relayLamps.at(relay - 1); }  // Picture1_16..27 (green)
    // Bands 1..9 are "160" .. "10".
    QPushButton *bandButton(int band) const { return m_bandButtons.at(band - 1); }  // Command1, Command22..29
    QPushButton *bandIndicator(int band) const { return m_bandIndicators.at(band - 1); }  // Command14..21, Command30
    QLabel *bandCode() const { return m_label2; }                               // Label2
    QPushButton *followOnButton() const { return m_command32; }
    QPushButton *followOffButton() const { return m_command31; }
    QPushButton *followOnIndicator() const { return m_command34; }
    QPushButton *followOffIndicator() const { return m_command33; }
    QWidget *activityLampA() const { return m_picture3; }                       // lit red
    QWidget *activityLampB() const { return m_picture5; }                       // lit green

private:
    template <typename T>
    T *control(const QString &name) const;

    std::array<AGauge *, kGaugeCount> m_gauges{};
    std::array<QPushButton *, kRelayCount> m_relayButtons{};
    std::array<QWidget *, kRelayCount> m_relayLamps{};
    std::array<QPushButton *, kBandCount> m_bandButtons{};
    std::array<QPushButton *, kBandCount> m_bandIndicators{};
    QLabel *m_label2 = nullptr;
    QPushButton *m_command31 = nullptr;
    QPushButton *m_command32 = nullptr;
    QPushButton *m_command33 = nullptr;
    QPushButton *m_command34 = nullptr;
    QWidget *m_picture3 = nullptr;
    QWidget *m_picture5 = nullptr;
};

} // namespace tovana
