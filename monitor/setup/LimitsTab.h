// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The setup dialog's "Limits" tab, for the meter chosen on the "Meters" tab: the kind
// ("LimitKind": Off, Above, Below), the value ("LimitValue"), the readings in a row
// ("LimitReadings"), "Only while transmitting" ("LimitWhileTx") and what a trip does to each
// relay ("LimitRelay1".."LimitRelay12": leave, on, off). "Apply" ("LimitApply") hands the
// limit to the station; a value that is no number is refused with a message.
#pragma once

#include <QWidget>
#include <array>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace tovana {

class StationHost;

class LimitsTab : public QWidget {
    Q_OBJECT
public:
    explicit LimitsTab(StationHost &host, QWidget *parent = nullptr);

    // Shows the station's limit of meter 0..7; Apply then sets that meter's.
    void showMeter(int meter);
    int meter() const { return m_meter; }
    QPushButton *applyButton() const { return m_apply; }

signals:
    void refused(const QString &message);

private:
    void apply();

    StationHost &m_host;
    int m_meter = 0;
    QLabel *m_title;
    QComboBox *m_kind;
    QLineEdit *m_value;
    QSpinBox *m_readings;
    QCheckBox *m_whileTx;
    std::array<QComboBox *, 12> m_relays{};
    QPushButton *m_apply;
};

} // namespace tovana
