// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "Message.h"

#include <QEvent>
#include <QMessageBox>
#include <QPointer>
#include <QQueue>
#include <QWidget>
#include <QWindow>

namespace tovana {

namespace {

// The messages of one window, shown one at a time while the window is on screen.
class MessageQueue : public QObject {
public:
    explicit MessageQueue(QWidget *window) : QObject(window), m_window(window)
    {
        setObjectName(QStringLiteral("MessageQueue"));
        window->winId(); // the native window, whose exposure is watched
        window->windowHandle()->installEventFilter(this);
    }

    static MessageQueue *of(QWidget *window)
    {
        auto *queue = window->findChild<MessageQueue *>(QStringLiteral("MessageQueue"), Qt::FindDirectChildrenOnly);
        return queue ? queue : new MessageQueue(window);
    }

    void add(QWidget *owner, const QString &text)
    {
        m_waiting.enqueue({owner, text});
        showNext();
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Expose && watched == m_window->windowHandle())
            QMetaObject::invokeMethod(this, &MessageQueue::showNext, Qt::QueuedConnection);
        return false;
    }

private:
    struct Waiting {
        QPointer<QWidget> owner;
        QString text;
    };

    void showNext()
    {
        if (m_shown || !m_window->windowHandle()->isExposed())
            return;
        while (!m_waiting.isEmpty()) {
            const Waiting next = m_waiting.dequeue();
            if (!next.owner)
                continue;
            auto *box = new QMessageBox(QMessageBox::NoIcon, QString::fromLatin1(kProgramTitle), next.text,
                                        QMessageBox::Ok, next.owner);
            box->setAttribute(Qt::WA_DeleteOnClose);
            connect(box, &QObject::destroyed, this, &MessageQueue::showNext, Qt::QueuedConnection);
            m_shown = box;
            box->open();
            return;
        }
    }

    QWidget *m_window;
    QPointer<QMessageBox> m_shown;
    QQueue<Waiting> m_waiting;
};

} // namespace

void showMessage(QWidget *owner, const QString &text)
{
    MessageQueue::of(owner->window())->add(owner, text);
}

} // namespace tovana
