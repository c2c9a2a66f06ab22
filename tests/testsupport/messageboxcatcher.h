#pragma once
// Answers the message boxes that a window under test shows, as a member
// would: records title and text, then presses the box's OK. Header only,
// for tests that link the widgets.
#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTimer>

class MessageBoxCatcher : public QObject
{
public:
    explicit MessageBoxCatcher(QObject *parent = nullptr) : QObject(parent)
    {
        m_timer.setInterval(10);
        connect(&m_timer, &QTimer::timeout, this, &MessageBoxCatcher::poll);
        m_timer.start();
    }

    // "title|text" of every box answered, in order.
    QStringList seen;

private:
    void poll()
    {
        for (QWidget *w : QApplication::topLevelWidgets()) {
            auto *box = qobject_cast<QMessageBox *>(w);
            if (!box || !box->isVisible() || m_answered.contains(box))
                continue;
            m_answered << box;
            seen << box->windowTitle() + u'|' + box->text();
            if (QAbstractButton *ok = box->button(QMessageBox::Ok))
                ok->click();
        }
        m_answered.removeIf([](const QPointer<QMessageBox> &b) { return b.isNull(); });
    }

    QTimer m_timer;
    QList<QPointer<QMessageBox>> m_answered;
};
