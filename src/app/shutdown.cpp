#include "app/shutdown.h"

#include "app/frmmain.h"
#include "app/placement.h"
#include "net/clsdata.h"
#include "session/mainview.h"
#include "session/modglobal.h"

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
thread_local bool t_shutDownStarted = false;

void pumpEvents()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}
} // namespace

bool &quitting()
{
    thread_local bool flag = false;
    return flag;
}

bool shutDownStarted()
{
    return t_shutDownStarted;
}

void shutDown()
{
    if (t_shutDownStarted)
        return;
    t_shutDownStarted = true;

    SessionState &s = session();
    // Releasing the help object closes the help window.
    if (auto *main = dynamic_cast<frmMain *>(s.mainWindow))
        main->releaseHelpObject();

    if (std::shared_ptr<clsData> client = s.sessionClient) {
        s.loginInProgress = false;
        client->CloseCon(true);
    }

    pumpEvents();
    QThread::msleep(50);
    pumpEvents();

    quitting() = true;

    if (auto *window = dynamic_cast<QWidget *>(s.mainWindow))
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
