#include "testsession.h"

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
    return *g_session;
}
