#include "session/modglobal.h"

#include "net/clsdata.h"
#include "net/moddata.h"
#include "plugin/clsmainserver.h"
#include "session/mainview.h"

namespace modGlobal {

namespace {
const QString kLoggedOut = QStringLiteral("Utloggad");
} // namespace

SessionState &session()
{
    thread_local SessionState state;
    return state;
}

ProfileRecord &profile()
{
    thread_local ProfileRecord record;
    return record;
}

bool isLoggedIn()
{
    return session().pluginLoggedIn;
}

void notifyPlugins(bool loggedIn)
{
    SessionState &s = session();
    if (loggedIn != s.pluginLoggedIn && s.mainServer) {
        // Listeners get copies, so none can change the session's own fields.
        if (loggedIn)
            s.mainServer->raiseOnLogin(s.password, profile().userid);
        else
            s.mainServer->raiseOnLogout(s.logoutPassword, s.logoutUserID);
    }
    s.pluginLoggedIn = loggedIn;
}

void clearProfile()
{
    ProfileRecord &p = profile();
    p.userid = 0;
    for (QString *field : {&p.firstname, &p.lastname, &p.company, &p.street, &p.sex, &p.sign,
                           &p.strMobiltelefon, &p.interests, &p.foundthis, &p.strabout,
                           &p.homepage, &p.email, &p.icq, &p.strChatWelcome, &p.homecityName,
                           &p.postal})
        field->clear();
}

void setLoggedOut()
{
    SessionState &s = session();
    s.logoutPassword = s.password;
    s.logoutUserID = profile().userid;
    notifyPlugins(false);
    s.logoutPassword.clear();
    s.logoutUserID = 0;

    clearProfile();

    MainView *w = s.mainWindow;
    if (w) {
        w->setPanelText(1, kLoggedOut);
        w->setPanelToolTip(1, QStringLiteral("Dubbelklicka för att logga in"));
        w->setPanelText(2, kLoggedOut);
        w->setPanelText(3, kLoggedOut);
        w->setPanelEnabled(2, false);
        w->setPanelEnabled(3, false);
        w->setPanelText(4, kLoggedOut);
        w->setPanelEnabled(4, false);

        w->setMenuEnabled(QStringLiteral("mnuOptionsServer"), false);
        w->setTimerEnabled(QStringLiteral("tmrKeepLogin"), false);
        w->setMenuEnabled(QStringLiteral("mnuRegister"), true);
        if (s.loginInProgress) {
            w->setMenuCaption(QStringLiteral("mnuLogout"), QStringLiteral("&Avbryt inloggning"));
            w->setMenuVisible(QStringLiteral("mnuLogin"), false);
        } else {
            w->setMenuCaption(QStringLiteral("mnuLogout"), QStringLiteral("Logga &ut"));
            w->setMenuVisible(QStringLiteral("mnuLogin"), true);
        }
    }

    modData::clearCookieJar();

    if (w)
        w->setProgress(0.0001);

    if (s.loginInProgress) {
        s.loginInProgress = false;
        // Hold a reference: the close may run code that replaces sessionClient.
        if (std::shared_ptr<clsData> client = s.sessionClient)
            client->CloseCon(true);
    }

    if (w)
        w->relayout();
}

void setLoggedIn()
{
    SessionState &s = session();
    MainView *w = s.mainWindow;
    if (!w)
        return;
    const ProfileRecord &p = profile();
    w->freezeDrawing(true);
    w->setPanelText(4, QString::number(p.userid));
    w->setPanelEnabled(4, true);
    w->setPanelText(2, p.firstname + QLatin1Char(' ') + p.lastname);
    w->setPanelText(3, p.sign);
    w->setPanelText(1, QStringLiteral("Inloggad"));
    w->setPanelEnabled(2, true);
    w->setPanelEnabled(3, true);
    w->setPanelToolTip(1, QStringLiteral("Dubbelklicka för att logga ut"));
    w->setMenuEnabled(QStringLiteral("mnuOptions"), true);
    w->relayout();
    w->freezeDrawing(false);
}

} // namespace modGlobal
