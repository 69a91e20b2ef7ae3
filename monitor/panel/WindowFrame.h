// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The frame a window manager draws around a top-level window, and the window's place by
// that frame's outer top left, as the store keeps it. The frame's margins are known only
// once the window is on screen; until then a window manager takes a place as the window's
// own (the frame would come back lower by its title bar at every start, and creep up by as
// much at every save). So the window is given its own place, and a frame place given before
// the margins were known is put right when the window is first exposed. The margins last
// seen are kept while the window is hidden. UI thread only.
#pragma once

#include <QMargins>
#include <QObject>
#include <QPoint>
#include <QSize>
#include <optional>

class QWidget;

namespace tovana {

class WindowFrame : public QObject {
    Q_OBJECT
public:
    explicit WindowFrame(QWidget *window);

    // The frame's width and height beyond the window's own; a typical frame's until known.
    QSize extra() const;
    QSize outerSize() const;
    int titleHeight() const;

    // The frame's outer top left now, and moving it there.
    QPoint place() const;
    void moveTo(const QPoint &frame);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    std::optional<QMargins> margins() const;

    QWidget *m_window;
    mutable std::optional<QMargins> m_margins;
    std::optional<QPoint> m_wanted;
};

} // namespace tovana
