#pragma once
#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <utility>

// Watchers for windows that a test must answer while the code under test
// waits in a nested event loop (a dialog's exec, a message box, a popup).

// Runs fn on the first visible top-level widget of type T as soon as one
// shows up; for driving modal dialogs and message boxes from a test.
template <class T>
void whenVisible(std::function<void(T *)> fn, std::function<bool(T *)> accept = {})
{
    auto *timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, fn, accept] {
        for (QWidget *w : QApplication::topLevelWidgets()) {
            T *t = qobject_cast<T *>(w);
            if (t && t->isVisible() && (!accept || accept(t))) {
                timer->stop();
                timer->deleteLater();
                fn(t);
                return;
            }
        }
    });
    timer->start();
}

// Runs `handle` on the first modal window or popup that appears while the
// test waits in a nested loop (a dialog's exec, a popup's exec).
class ModalWatcher : public QObject
{
public:
    using Handler = std::function<void(QWidget *)>;
    explicit ModalWatcher(Handler handle) : m_handle(std::move(handle))
    {
        m_timer.setInterval(10);
        connect(&m_timer, &QTimer::timeout, this, [this] {
            QWidget *w = QApplication::activePopupWidget();
            if (!w)
                w = QApplication::activeModalWidget();
            if (!w) {
                for (QWidget *top : QApplication::topLevelWidgets()) {
                    if (top->isVisible() && qobject_cast<QDialog *>(top))
                        w = top;
                }
            }
            if (!w || !w->isVisible())
                return;
            m_timer.stop();
            ++seen;
            m_handle(w);
        });
        m_timer.start();
    }
    int seen = 0;

private:
    Handler m_handle;
    QTimer m_timer;
};
