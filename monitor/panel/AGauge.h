// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// An annular panel meter: a needle over an arc scale with a coloured band ring, major
// ticks with numbers, minor ticks of two tick sets and a caption. Tick sets (0, 1) and
// annuli (0..4) are reached through selectors that keep their value between accesses.
// Numbers handed over as text are converted with a point or a comma; a text that does not
// convert changes nothing and the setter returns false. The static face is drawn once
// into a cached pixmap; each needle move repaints only the needle over it. The caption
// sits below the needle's hub, so the needle never crosses it; numbers and caption shrink
// (and numbers thin out) to fit whatever size the gauge is given.
#pragma once

#include "GaugeFace.h"

#include <QFont>
#include <QLineF>
#include <QList>
#include <QPixmap>
#include <QRectF>
#include <QString>
#include <QWidget>
#include <array>
#include <cstdint>

namespace tovana {

class AGauge : public QWidget {
    Q_OBJECT
public:
    static constexpr int kTickSetCount = 2;
    static constexpr int kAnnulusCount = 5;

    explicit AGauge(QWidget *parent = nullptr);

    // Kept as given, also outside the scale; the drawn needle stops at the scale's end.
    double NeedleValue() const { return m_needle; }
    void setNeedleValue(double value);
    bool setNeedleValue(const QString &text);

    double scaleMin() const { return m_scaleMin; }
    void setScaleMin(double value);
    bool setScaleMin(const QString &text);
    double scaleMax() const { return m_scaleMax; }
    void setScaleMax(double value);
    bool setScaleMax(const QString &text);

    QString caption() const { return m_caption; }
    void setCaption(const QString &caption);

    // Selects tick set 0 or 1; any other number is refused.
    int tickSet() const { return m_tickSet; }
    bool setTickSet(int index);
    // Minor ticks between two major ticks, of the selected tick set.
    int subTickCount() const { return m_subTicks[m_tickSet]; }
    bool setSubTickCount(int count);
    bool setSubTickCount(const QString &text);

    // Selects annulus 0..4; any other number is refused.
    int annulus() const { return m_annulus; }
    bool setAnnulus(int index);
    double annulusStart() const { return m_rings[m_annulus].start; }
    void setAnnulusStart(double value);
    bool setAnnulusStart(const QString &text);
    double annulusStop() const { return m_rings[m_annulus].stop; }
    void setAnnulusStop(double value);
    bool setAnnulusStop(const QString &text);
    // 0x00BBGGRR, red in the low byte.
    std::uint32_t annulusColor() const { return m_rings[m_annulus].color; }
    void setAnnulusColor(std::uint32_t color);
    bool setAnnulusColor(const QString &text);

    // "No reading": the needle is greyed while the board does not answer.
    bool noReading() const { return m_noReading; }
    void setNoReading(bool noReading);

    // "Tripped": the meter's limit tripped and is not yet acknowledged; a red frame says so.
    bool tripped() const { return m_tripped; }
    void setTripped(bool tripped);

    // Where the face puts things at the present size (logical pixels), as drawn.
    QRectF captionRect() const; // the caption's text
    // The caption as shown: elided only when even the smallest text cannot hold it (the
    // tooltip then shows it whole).
    QString shownCaption() const;
    QList<QRectF> scaleNumberRects() const;
    QRectF hubRect() const;    // the cap over the needle's pivot
    QLineF needleLine() const; // pivot to tip at the present value

    QSize sizeHint() const override;

signals:
    void doubleClicked();

protected:
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    struct Ring {
        double start;
        double stop;
        std::uint32_t color;
    };

    face::GaugeFace layOut() const;
    void faceChanged();
    void renderFace();

    double m_needle = 0;
    double m_scaleMin = 0;
    double m_scaleMax = 5;
    QString m_caption = QStringLiteral("Volts AC");
    int m_tickSet = 0;
    std::array<int, kTickSetCount> m_subTicks{4, 4};
    int m_annulus = 0;
    std::array<Ring, kAnnulusCount> m_rings;

    bool m_noReading = false;
    bool m_tripped = false;

    QPixmap m_face;
    face::GaugeFace m_layout; // of the face in m_face
    bool m_faceValid = false;
};

} // namespace tovana
