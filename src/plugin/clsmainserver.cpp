#include "plugin/clsmainserver.h"

#include "session/modglobal.h"
#include "session/usablepassword.h"

bool clsMainServer::doLogin(bool ShowBox, const QString &Password)
{
    if (ShowBox) {
        modGlobal::startLogin();
        return modGlobal::isLoggedIn();
    }
    if (!modGlobal::isUsablePassword(Password))
        return false;
    // A member who is logged in leaves first, so that listeners hear onLogout
    // with that member's password and id rather than with empty values.
    if (modGlobal::isLoggedIn())
        modGlobal::setLoggedOut();
    modGlobal::clearProfile();
    modGlobal::setLoggedIn();
    modGlobal::session().password = Password;
    modGlobal::loginSequence();
    return modGlobal::isLoggedIn();
}

void clsMainServer::doLogout()
{
    modGlobal::setLoggedOut();
}
