// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The panel's own small controls, drawn at whatever size the layout gives them. A state
// shows by shape as well as by colour, so it reads without telling red from green: a
// relay's off bar is outlined, its on bar filled and ticked; an indicator (selected band,
// band following, transmit hold) is sunken, bold and framed. A button whose caption is wider than its
// room draws it in a smaller text rather than losing letters.
#pragma once

#include <QColor>
#include <QPushButton>
#include <QWidget>

namespace tovana {

// The font scaled by `factor`, whichever unit it was given in (never rounded up, so a text
// shrunk to fit still fits).
QFont scaledFont(const QFont &font, double factor);

class FittingButton : public QPushButton {
    Q_OBJECT
public:
    using QPushButton::QPushButton;

    // The font the caption is drawn in: the button's own, or a smaller one that holds it.
    QFont captionFont() const;

protected:
    void paintEvent(QPaintEvent *event) override;
    // Drawn held in, whatever the mouse does.
    virtual bool sunken() const { return false; }
    // Room the mark takes from the caption on each side, in pixels.
    virtual int markWidth() const { return 0; }
    virtual void paintMark(QPainter &) {}
};

class IndicatorButton : public FittingButton {
    Q_OBJECT
public:
    explicit IndicatorButton(const QString &caption, QWidget *parent = nullptr);
    // Room the mark of an indicator of this height takes on each side.
    static int markWidthFor(int height);
    // Waiting for something it needs (`why` says what, in its tooltip): greyed, with a dashed
    // frame, as not yet working. An empty `why` lights it again.
    void setWaiting(const QString &why);
    bool isWaiting() const { return !m_waitingFor.isEmpty(); }

protected:
    bool sunken() const override { return true; }
    int markWidth() const override { return markWidthFor(height()); }
    void paintMark(QPainter &painter) override;
    // The frame inside the bevel, `width` pixels wide.
    void paintFrame(QPainter &painter, const QColor &colour, int width, Qt::PenStyle style = Qt::SolidLine);
    // The dashed frame of a state not known, or not yet working.
    void paintDashedFrame(QPainter &painter);

private:
    QString m_waitingFor;
};

// The transmit hold: lit (sunken, bold, framed, in its colour) while the band relays are
// held; plain while they are free; greyed, with a dashed frame, while the transmit state
// is unknown. The tooltip says which.
class TxIndicator : public IndicatorButton {
    Q_OBJECT
public:
    enum class State { Receive, Held, Unknown };
    explicit TxIndicator(const QString &caption, QWidget *parent = nullptr);
    void setState(State state);
    State state() const { return m_state; }

protected:
    bool sunken() const override { return m_state == State::Held; }
    void paintMark(QPainter &painter) override;

private:
    State m_state = State::Receive;
};

// A relay lamp bar in the colour of its palette's Window role.
class LampBar : public QWidget {
    Q_OBJECT
public:
    enum class Look { Outlined, FilledAndTicked };
    LampBar(Look look, QWidget *parent = nullptr);
    Look look() const { return m_look; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    Look m_look;
};

// A round activity lamp with a highlight.
class RoundLamp : public QWidget {
    Q_OBJECT
public:
    RoundLamp(const QColor &colour, QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor m_colour;
};

} // namespace tovana
