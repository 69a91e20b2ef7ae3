// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "WindowFrame.h"

#include <QEvent>
#include <QWidget>
#include <QWindow>
#include <algorithm>

namespace tovana {

namespace {

const QSize kTypicalExtra(8, 32);
constexpr int kSmallestTitle = 8;

QPoint topLeftOf(const QMargins &margins)
{
    return {margins.left(), margins.top()};
}

} // namespace

WindowFrame::WindowFrame(QWidget *window) : QObject(window), m_window(window)
{
    window->winId(); // the native window, whose exposure is watched
    window->windowHandle()->installEventFilter(this);
}

// Read afresh while the window is on screen (a window manager may change it), kept while it
// is not. A platform that draws frames of its own knows them before that.
std::optional<QMargins> WindowFrame::margins() const
{
    const QWindow *handle = m_window->windowHandle();
    if (handle->isExposed() || (!m_margins && !handle->frameMargins().isNull()))
        m_margins = handle->frameMargins();
    return m_margins;
}

QSize WindowFrame::extra() const
{
    const auto known = margins();
    return known ? QSize(known->left() + known->right(), known->top() + known->bottom()) : kTypicalExtra;
}

QSize WindowFrame::outerSize() const
{
    return m_window->size() + extra();
}

int WindowFrame::titleHeight() const
{
    const auto known = margins();
    return std::max(known ? known->top() : 0, kSmallestTitle);
}

QPoint WindowFrame::place() const
{
    const auto known = margins();
    return m_window->geometry().topLeft() - (known ? topLeftOf(*known) : QPoint());
}

void WindowFrame::moveTo(const QPoint &frame)
{
    const auto known = margins();
    m_window->setGeometry(QRect(frame + (known ? topLeftOf(*known) : QPoint()), m_window->size()));
    const QWindow *handle = m_window->windowHandle();
    if (!known || !handle->isExposed())
        m_wanted = frame;
}

bool WindowFrame::eventFilter(QObject *watched, QEvent *event)
{
    QWindow *handle = m_window->windowHandle();
    if (watched == handle && event->type() == QEvent::Expose && handle->isExposed() && m_wanted) {
        const QPoint wanted = *m_wanted;
        m_wanted.reset();
        if (place() != wanted)
            moveTo(wanted);
    }
    return false;
}

} // namespace tovana
