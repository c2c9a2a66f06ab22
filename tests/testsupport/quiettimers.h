#pragma once
#include <QString>
#include <QTimer>

// Stops the main window's start-up login, iMail check and keep-alive, so a
// test drives the session by hand and nothing goes to the site on its own.
template<typename Window>
void quietSessionTimers(Window &window)
{
    for (const char *name : {"tmrLoadLogin", "tmrCheckIMail", "tmrKeepLogin"})
        window.timer(QString::fromLatin1(name))->stop();
}
