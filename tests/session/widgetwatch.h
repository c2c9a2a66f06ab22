#pragma once
#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <functional>

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
