#include "app/shutdown.h"

#include "app/frmmain.h"
#include "app/placement.h"
#include "net/clsdata.h"
#include "session/session.h"

#include <QApplication>
#include <QEventLoop>
#include <QPointer>
#include <QThread>
#include <QWidget>

#include <cstdio>
#include <cstdlib>

namespace modGlobal {

namespace {
// Set on entry. quitting itself is set only after the window has had its
// chance to finish the exchange's close, and a close box, a menu command
// or a signal handled meanwhile must not start a second run.
bool g_shutDownStarted = false;

void pumpEvents()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}
} // namespace

bool &quitting()
{
    static bool flag = false;
    return flag;
}

bool shutDownStarted()
{
    return g_shutDownStarted;
}

void shutDown()
{
    if (g_shutDownStarted)
        return;
    g_shutDownStarted = true;

    frmMain *window = nullptr;
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (auto *main = qobject_cast<frmMain *>(w))
            window = main;
    }
    // Releasing the help object closes the help window.
    if (window)
        window->releaseHelpObject();

    if (window && window->session().client())
        window->session().cancelLogin();

    pumpEvents();
    QThread::msleep(50);
    pumpEvents();

    quitting() = true;

    if (window)
        savePlacement(window);

    QList<QPointer<QWidget>> windows;
    for (QWidget *w : QApplication::topLevelWidgets())
        windows.append(w);
    for (const QPointer<QWidget> &w : windows) {
        if (w)
            w->close();
    }

    pumpEvents();
    pumpEvents();

    // The settings writer has finished with its file; stdio may hold a
    // diagnostic line.
    std::fflush(nullptr);
    std::_Exit(0);
}

} // namespace modGlobal
