// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The main window's client area: every visible control at its designed place, built from
// one layout table in z-order, each named by its design name. The places are in twips and
// the whole table scales as one, keeping its proportions: to the largest scale the panel's
// size allows, with the text scaled alike as far as every caption still fits its control.
// The panel's size hint is the design at the scale where the running font fits (see
// fittingScale). The panel only holds the controls; what they do is wired by frmMonitor. A
// state (relay on, band selected, band following on) is the visibility of its control; the
// transmit hold "TX" shows its state by its look (TxIndicator).
#pragma once

#include <QFont>
#include <QWidget>
#include <array>
#include <vector>

class QLabel;
class QPushButton;

namespace tovana {

class AGauge;
class IndicatorButton;
class TxIndicator;

class MonitorPanel : public QWidget {
    Q_OBJECT
public:
    static constexpr int kGaugeCount = 8;
    static constexpr int kRelayCount = 12;
    static constexpr int kBandCount = 9;
    static constexpr int kTwipsPerPixel = 15;
    static constexpr int kDesignWidthTwips = 3480;
    static constexpr int kDesignHeightTwips = 7155;

    explicit MonitorPanel(QWidget *parent = nullptr);
    ~MonitorPanel() override;

    AGauge *gauge(int index) const { return m_gauges.at(index); }                      // AGauge1_0..7
    QPushButton *relayButton(int relay) const { return m_relayButtons.at(relay - 1); } // Command2..13
    QWidget *relayLamp(int relay) const { return m_relayLamps.at(relay - 1); }         // Picture1_16..27 (green)
    // Bands 1..9 are "160" .. "10".
    QPushButton *bandButton(int band) const { return m_bandButtons.at(band - 1); }       // Command1, Command22..29
    QPushButton *bandIndicator(int band) const { return m_bandIndicators.at(band - 1); } // Command14..21, Command30
    QLabel *bandCode() const { return m_label2; }                                        // Label2
    QPushButton *followOnButton() const { return m_command32; }
    QPushButton *followOffButton() const { return m_command31; }
    IndicatorButton *followOnIndicator() const { return m_command34; }
    QPushButton *followOffIndicator() const { return m_command33; }
    TxIndicator *txIndicator() const { return m_txIndicator; } // Command35 "TX"
    QWidget *activityLampA() const { return m_picture3; }      // lit red
    QWidget *activityLampB() const { return m_picture5; }      // lit green
    QLabel *noReplyNotice() const { return m_label3; }         // Label3

    // A relay button's caption; one longer than a label is made for also shows in its tooltip.
    void setRelayCaption(int relay, const QString &caption);
    // While the board does not answer or is gone: the notice beside "Com Port" saying so,
    // the gauges greyed. An empty notice shows the readings as live again; `detail` is the
    // notice's tooltip.
    void setBoardNotice(const QString &notice, const QString &detail = {});
    // While the link server cannot be reached (`why` says so, empty once it can): band
    // following's "On" greyed, and its lit indicator showing that following waits.
    void setLinkAway(const QString &why);

    // The scale (1 = the design's pixels, twips / 15) from which every text of the panel
    // fits its control in `font`: relay labels of up to eight of the widest letters,
    // band and switch captions, frame titles, the labels.
    double fittingScale(const QFont &font) const;
    // The scale the panel is laid out at now.
    double scale() const { return m_scale; }
    // Where a place in twips lies at the present scale, in the panel's pixels.
    QRect placeOf(const QRect &twips) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void changeEvent(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    template <typename T>
    T *control(const QString &name) const;
    void layOut();
    // The scale at which every text fits in `font`, without the floor of fittingScale.
    double textScale(const QFont &font) const;
    QFont fontAt(double zoom) const;

    struct Placed;
    std::vector<Placed> m_placed;
    QFont m_baseFont;
    double m_baseScale = 1; // fittingScale(m_baseFont)
    double m_scale = 1;
    QPointF m_origin;

    std::array<AGauge *, kGaugeCount> m_gauges{};
    std::array<QPushButton *, kRelayCount> m_relayButtons{};
    std::array<QWidget *, kRelayCount> m_relayLamps{};
    std::array<QPushButton *, kBandCount> m_bandButtons{};
    std::array<QPushButton *, kBandCount> m_bandIndicators{};
    QLabel *m_label2 = nullptr;
    QLabel *m_label3 = nullptr;
    QPushButton *m_command31 = nullptr;
    QPushButton *m_command32 = nullptr;
    QPushButton *m_command33 = nullptr;
    IndicatorButton *m_command34 = nullptr;
    TxIndicator *m_txIndicator = nullptr;
    QWidget *m_picture3 = nullptr;
    QWidget *m_picture5 = nullptr;
};

} // namespace tovana
