#include "testsession.h"

#include "fakemainview.h"
#include "imail/imaillist.h"

#include <memory>

namespace {
std::unique_ptr<modGlobal::Session> g_session;
}

modGlobal::Session &session()
{
    if (!g_session)
        resetSession();
    return *g_session;
}

modGlobal::Session &resetSession(modGlobal::MainView *view)
{
    g_session = std::make_unique<modGlobal::Session>();
    new modWebFunctions::IMailWatch(g_session.get());
    g_session->setView(view);
    if (auto *fake = dynamic_cast<FakeMainView *>(view)) {
        using modGlobal::Session;
        Session *s = g_session.get();
        // As the window: while the session shows itself in it.
        const auto shown = [s, fake](auto show) {
            return [s, fake, show](auto... args) {
                if (s->view() == fake)
                    show(args...);
            };
        };
        QObject::connect(s, &Session::imailCountsChanged,
                         [fake](int count, int newCount) { fake->showIMailCounts(count, newCount); });
        QObject::connect(s, &Session::loggedOutShown, shown([fake](bool running) { fake->showLoggedOut(running); }));
        QObject::connect(s, &Session::loginStarted, shown([fake] { fake->showLoginCancelHint(); }));
        QObject::connect(s, &Session::loginAttemptStarted, shown([fake] { fake->showLoggingIn(); }));
        QObject::connect(s, &Session::loginRunningShown, shown([fake](bool running) { fake->showLoginRunning(running); }));
        QObject::connect(s, &Session::memberShown,
                         shown([s, fake] { fake->showMember(s->name(), s->alias(), s->memberId()); }));
        QObject::connect(s, &Session::memberCommandsShown, shown([fake](bool member) { fake->showMemberCommands(member); }));
        QObject::connect(s, &Session::logoutDone, shown([fake] { fake->relayout(); }));
        QObject::connect(s, &Session::keepAliveChanged, shown([fake](bool on) { fake->setKeepAlive(on); }));
    }
    return *g_session;
}
