#include "session/modglobal.h"

#include "imail/imaillist.h"
#include "net/clsdata.h"
#include "net/moddata.h"
#include "profile/fetchprofile.h"
#include "profile/profilerecord.h"
#include "session/mainview.h"
#include "session/storedpassword.h"
#include "settings/modsettings.h"
#include "text/formfields.h"

#include <memory>

namespace modGlobal {

namespace {

// Counts login sequences of this thread. A sequence started while another
// one waits (Ctrl+I or a plug-in's doLogin during a request) runs to its end
// inside that wait; the older one then finds itself superseded and leaves
// the session to the newer one instead of logging it out.
thread_local quint64 t_sequenceCount = 0;

enum class Step { Next, Failed, Superseded };

class LoginRun
{
public:
    LoginRun() : m_id(++t_sequenceCount) {}

    bool superseded() const { return t_sequenceCount != m_id; }

    // One GET on this attempt's exchange object. Fails on "ERROR" and when the
    // login was cancelled while the request waited.
    Step request(const QString &path, bool onlyHeader, QString *body = nullptr)
    {
        // Our own reference: sessionClient may be replaced while Read waits.
        const std::shared_ptr<clsData> client = m_client;
        const QString result =
            client->Read(path, modData::cookieList(), QString(), QString(), onlyHeader);
        if (superseded())
            return Step::Superseded;
        if (result == QLatin1String("ERROR") || !session().loginInProgress)
            return Step::Failed;
        if (body)
            *body = result;
        return Step::Next;
    }

    void newClient()
    {
        SessionState &s = session();
        s.loginInProgress = false;
        m_client = clsData::create();
        s.sessionClient = m_client;
        s.loginInProgress = true;
    }

    void releaseClient() { m_client.reset(); }

private:
    quint64 m_id;
    std::shared_ptr<clsData> m_client;
};

void progress(double value)
{
    if (MainView *w = session().mainWindow)
        w->setProgress(value);
}

void menuCaption(const QString &name, const QString &caption)
{
    if (MainView *w = session().mainWindow)
        w->setMenuCaption(name, caption);
}

void menuVisible(const QString &name, bool visible)
{
    if (MainView *w = session().mainWindow)
        w->setMenuVisible(name, visible);
}

void menuEnabled(const QString &name, bool enabled)
{
    if (MainView *w = session().mainWindow)
        w->setMenuEnabled(name, enabled);
}

bool isGuestPassword(const QString &password)
{
    return password.toUpper() == QLatin1String("BVOLK");
}

// Steps 2 to 17: one road from the first page to a logged-in display.
Step attempt(LoginRun &run)
{
    SessionState &s = session();
    for (;;) {
        notifyPlugins(false);
        if (MainView *w = s.mainWindow) {
            w->setPanelText(1, QStringLiteral("Loggar in..."));
            w->relayout();
        }
        if (s.password.isEmpty())
            return Step::Failed;

        run.newClient();
        menuCaption(QStringLiteral("mnuLogout"), QStringLiteral("&Avbryt inloggning"));
        menuVisible(QStringLiteral("mnuLogin"), false);

        modData::CookieJar &jar = modData::cookieJar();
        jar.cookieNames[0] = QStringLiteral("memberid");
        jar.cookieValues[0] = s.password;

        progress(1.0001);
        if (Step st = run.request(QStringLiteral("/cookie.asp"), true); st != Step::Next)
            return st;
        progress(2.0001);
        if (Step st = run.request(QStringLiteral("/default.asp"), true); st != Step::Next)
            return st;
        progress(3.0001);
        QString body;
        if (Step st = run.request(QStringLiteral("/login.asp"), false, &body); st != Step::Next)
            return st;
        progress(4.0001);

        const bool accepted = !body.contains(QStringLiteral("loginrejected.asp"), Qt::CaseInsensitive)
            && modData::cookieValue(QStringLiteral("memberid")).toUpper() == s.password.toUpper();
        if (accepted && !body.isEmpty())
            break;

        // Rejected: ask again, as often as the member gives a password.
        setLoggedOut();
        askPassword();
        if (run.superseded())
            return Step::Superseded;
        if (s.password.isEmpty())
            return Step::Failed;
    }

    if (Step st = run.request(QStringLiteral("/default.asp"), true); st != Step::Next)
        return st;
    progress(5.0);

    ProfileRecord &p = profile();
    if (isGuestPassword(s.password)) {
        clearProfile();
        s.guest = true;
        p.firstname = QStringLiteral("Gäst");
        p.sign = QStringLiteral("Gäst");
        menuEnabled(QStringLiteral("mnuOptionsServer"), false);
        setLoggedIn();
        progress(0.0001);
        p.userid = 0;
        return Step::Next;
    }

    s.guest = false;
    QString page;
    if (Step st = run.request(QStringLiteral("/login/register/visitkort_edit.asp"), false, &page);
        st != Step::Next)
        return st;
    bool ok = false;
    const int userid = formFieldValue(QStringLiteral("userid"), page).toInt(&ok, 10);
    if (!ok)
        return Step::Failed;
    p.userid = userid;

    for (int tries = 0; tries < 3; ++tries) {
        const bool fetched = fetchProfile();
        if (run.superseded())
            return Step::Superseded;
        // A cancel during the fetch must not lead to another request.
        if (!s.loginInProgress)
            return Step::Failed;
        if (fetched)
            return Step::Next;
    }
    return Step::Failed;
}

// Steps 18 to 20.
void succeed()
{
    SessionState &s = session();
    progress(0.0001);
    notifyPlugins(true);
    if (!s.guest) {
        menuEnabled(QStringLiteral("mnuOptionsServer"), true);
        menuEnabled(QStringLiteral("mnuRegister"), false);
    }
    if (modSettings::readSetting(QStringLiteral("autologin"), QStringLiteral("logintype"), QString())
        == QLatin1String("lastlogin"))
        modSettings::writeSetting(QStringLiteral("autologin"), QStringLiteral("lastlogin"),
                                  sealPassword(s.password));
    if (MainView *w = s.mainWindow)
        w->setTimerEnabled(QStringLiteral("tmrKeepLogin"), true);
    modWebFunctions::updateIMailCaption();
}

} // namespace

void askPassword()
{
    SessionState &s = session();
    s.password = s.mainWindow ? s.mainWindow->askPasswordDialog() : QString();
}

void startLogin()
{
    setLoggedOut();
    askPassword();
    if (!session().password.isEmpty())
        loginSequence();
}

void loginSequence()
{
    SessionState &s = session();
    LoginRun run;
    if (MainView *w = s.mainWindow)
        w->setPanelToolTip(1, QStringLiteral("Dubbelklicka för att avbryta inloggningen"));

    Step outcome = Step::Failed;
    try {
        outcome = attempt(run);
    } catch (...) {
        // Whatever went wrong on the way, it ends like any failed login.
        outcome = run.superseded() ? Step::Superseded : Step::Failed;
    }
    if (outcome == Step::Next) {
        try {
            succeed();
        } catch (...) {
            // The member is logged in; a stored password or an iMail count
            // that could not be made does not undo that.
        }
        if (run.superseded())
            outcome = Step::Superseded;
    }

    run.releaseClient();
    // A newer sequence has run to its end meanwhile and owns the session.
    if (outcome == Step::Superseded)
        return;
    if (outcome == Step::Failed)
        setLoggedOut();

    s.loginInProgress = false;
    s.sessionClient.reset();
    menuCaption(QStringLiteral("mnuLogout"), QStringLiteral("Logga &ut"));
    menuVisible(QStringLiteral("mnuLogin"), true);
}

} // namespace modGlobal
