#pragma once
#include <QString>
#include <QTimer>

// Stops the main window's start-up login and iMail check and its session's
// keep-alive, so a test drives the session by hand and nothing goes to the
// site on its own.
template<typename Window>
void quietSessionTimers(Window &window)
{
    for (const char *name : {"tmrLoadLogin", "tmrCheckIMail"})
        window.timer(QString::fromLatin1(name))->stop();
    window.session().template findChild<QTimer *>(QStringLiteral("tmrKeepLogin"))->stop();
}
