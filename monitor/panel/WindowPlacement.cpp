// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "WindowPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <algorithm>
#include <cmath>

namespace tovana {

namespace {

constexpr int kGripWidth = 64; // of the title bar, enough to take hold of it

const QScreen *nearestScreen(const QPoint &point)
{
    const QScreen *nearest = QGuiApplication::primaryScreen();
    double best = HUGE_VAL;
    for (const QScreen *screen : QGuiApplication::screens()) {
        const QRect area = screen->availableGeometry();
        const double dx = std::max({area.left() - point.x(), 0, point.x() - area.right()});
        const double dy = std::max({area.top() - point.y(), 0, point.y() - area.bottom()});
        if (std::hypot(dx, dy) < best) {
            best = std::hypot(dx, dy);
            nearest = screen;
        }
    }
    return nearest;
}

} // namespace

bool titleBarReachable(const QRect &frame, int titleHeight)
{
    for (const QScreen *screen : QGuiApplication::screens()) {
        const QRect area = screen->availableGeometry();
        const int overlap = std::min(frame.right(), area.right()) - std::max(frame.left(), area.left()) + 1;
        if (frame.top() >= area.top() && frame.top() + titleHeight <= area.bottom() + 1 &&
            overlap >= std::min(frame.width(), kGripWidth))
            return true;
    }
    return false;
}

QPoint reachablePosition(const QRect &frame, int titleHeight)
{
    if (titleBarReachable(frame, titleHeight))
        return frame.topLeft();
    const QScreen *screen = nearestScreen(frame.center());
    if (!screen)
        return frame.topLeft();
    const QRect area = screen->availableGeometry();
    return {std::clamp(frame.left(), area.left(), std::max(area.left(), area.right() + 1 - frame.width())),
            std::clamp(frame.top(), area.top(), std::max(area.top(), area.bottom() + 1 - frame.height()))};
}

QPoint centredPosition(const QSize &frame, const QScreen *screen)
{
    if (!screen)
        return {0, 0};
    const QRect area = screen->availableGeometry();
    return {std::max(area.left(), area.left() + (area.width() - frame.width()) / 2),
            std::max(area.top(), area.top() + (area.height() - frame.height()) / 2)};
}

QSize fittedSize(const QSize &wanted, const QSize &margins, const QScreen *screen)
{
    if (!screen || wanted.isEmpty())
        return wanted;
    const QSize room = screen->availableGeometry().size() - margins;
    const double factor =
        std::min({1.0, double(room.width()) / wanted.width(), double(room.height()) / wanted.height()});
    if (factor >= 1 || factor <= 0)
        return wanted;
    return QSize(int(wanted.width() * factor), int(wanted.height() * factor));
}

} // namespace tovana
