#include "plugin/clsmainserver.h"

#include "session/session.h"
#include "session/usablepassword.h"

clsMainServer::clsMainServer(modGlobal::Session *session, QObject *parent)
    : QObject(parent), m_session(session)
{
    // Direct: listeners hear of it at the very step that logs in or out.
    connect(session, &modGlobal::Session::loggedIn, this, &clsMainServer::onLogin, Qt::DirectConnection);
    connect(session, &modGlobal::Session::loggedOut, this, &clsMainServer::onLogout, Qt::DirectConnection);
}

bool clsMainServer::doLogin(bool ShowBox, const QString &Password)
{
    modGlobal::Session &s = *m_session;
    if (ShowBox) {
        s.startLogin();
        return s.isLoggedIn();
    }
    if (!modGlobal::isUsablePassword(Password))
        return false;
    // A member who is logged in leaves first, so that listeners hear onLogout
    // with that member's password and id rather than with empty values.
    if (s.isLoggedIn())
        s.setLoggedOut();
    s.clearProfile();
    s.setLoggedIn();
    s.loginWith(Password);
    return s.isLoggedIn();
}

void clsMainServer::doLogout()
{
    m_session->setLoggedOut();
}
