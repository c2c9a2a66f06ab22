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
    if (auto *fake = dynamic_cast<FakeMainView *>(view))
        QObject::connect(g_session.get(), &modGlobal::Session::imailCountsChanged,
                         [fake](int count, int newCount) { fake->showIMailCounts(count, newCount); });
    return *g_session;
}
