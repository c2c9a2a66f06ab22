#include "session/session.h"

#include "net/clsdata.h"
#include "net/moddata.h"
#include "net/site.h"
#include "profile/profilerecord.h"
#include "session/mainview.h"
#include "session/storedpassword.h"
#include "settings/keyringstore.h"
#include "settings/modsettings.h"
#include "text/formfields.h"

#include <QScopeGuard>
#include <QTimer>

#include <memory>
#include <utility>

namespace modGlobal {

namespace {

enum class Step { Next, Failed, Superseded };

bool isGuestPassword(const QString &password)
{
    return password.toUpper() == QLatin1String("BVOLK");
}

} // namespace

// One login sequence: steps 2 to 20 on an exchange object of its own.
class Session::LoginRun
{
public:
    explicit LoginRun(Session &s) : m_s(s), m_id(s.beginSequence()) {}

    bool superseded() const { return !m_s.isLatestSequence(m_id); }

    // One GET on this attempt's exchange object. Fails on "ERROR" and when the
    // login was cancelled while the request waited.
    Step request(const QString &path, bool onlyHeader, QString *body = nullptr)
    {
        // Our own reference: the session's client may be replaced while Read waits.
        const std::shared_ptr<clsData> client = m_client;
        const QString result =
            client->Read(path, modData::cookieList(m_s.m_cookies), QString(), QString(), onlyHeader);
        if (superseded())
            return Step::Superseded;
        if (!m_s.loginInProgress())
            return Step::Failed;  // cancelled
        if (result == QLatin1String("ERROR"))
            return siteFailed();
        if (body)
            *body = result;
        return Step::Next;
    }

    void newClient()
    {
        m_s.setLoginInProgress(false);
        m_client = m_s.newExchange();
        m_s.setClient(m_client);
        m_s.setLoginInProgress(true);
    }

    void releaseClient() { m_client.reset(); }

    void progress(double value)
    {
        if (MainView *view = m_s.view())
            view->showLoginProgress(value);
    }

    void showRunning(bool running) { emit m_s.loginRunningShown(running); }

    // The site could not be reached or answered with an error.
    Step siteFailed()
    {
        m_siteFailed = true;
        return Step::Failed;
    }
    bool failedAtSite() const { return m_siteFailed; }

    Step attempt();
    void succeed(bool guest);

private:
    Session &m_s;
    quint64 m_id;
    std::shared_ptr<clsData> m_client;
    bool m_siteFailed = false;
};

// Steps 2 to 17: one road from the first page to a logged-in display.
Step Session::LoginRun::attempt()
{
    for (;;) {
        m_s.notifyPlugins(false);
        emit m_s.loginAttemptStarted();
        if (m_s.password().isEmpty())
            return Step::Failed;

        newClient();
        showRunning(true);

        modData::CookieJar &jar = m_s.m_cookies;
        jar.cookieNames[0] = QStringLiteral("memberid");
        jar.cookieValues[0] = m_s.password();

        progress(1.0001);
        if (Step st = request(QStringLiteral("/cookie.asp"), true); st != Step::Next)
            return st;
        progress(2.0001);
        if (Step st = request(QStringLiteral("/default.asp"), true); st != Step::Next)
            return st;
        progress(3.0001);
        QString body;
        if (Step st = request(QStringLiteral("/login.asp"), false, &body); st != Step::Next)
            return st;
        progress(4.0001);

        const bool accepted = !body.contains(QStringLiteral("loginrejected.asp"), Qt::CaseInsensitive)
            && modData::cookieValue(m_s.cookies(), QStringLiteral("memberid")).toUpper() == m_s.password().toUpper();
        if (accepted && !body.isEmpty())
            break;

        // Rejected: ask again, as often as the member gives a password. A
        // member who typed it learns why: a page without a body is the
        // site's failure, not a wrong password.
        QString reason;
        if (m_s.passwordTyped())
            reason = accepted ? siteUnreachableText() : rejectedPasswordText();
        m_s.setLoggedOut();
        m_s.askPassword(reason);
        if (superseded())
            return Step::Superseded;
        if (m_s.password().isEmpty())
            return Step::Failed;
    }

    if (Step st = request(QStringLiteral("/default.asp"), true); st != Step::Next)
        return st;
    progress(5.0);

    if (isGuestPassword(m_s.password())) {
        m_s.clearProfile();
        m_s.setGuest(true);
        // The cleared profile has no member id: the guest's is 0.
        m_s.editProfile([](ProfileRecord &p) {
            p.firstname = QStringLiteral("Gäst");
            p.sign = QStringLiteral("Gäst");
        });
        emit m_s.memberCommandsShown(false);
        m_s.setLoggedIn();
        progress(0.0001);
        return Step::Next;
    }

    m_s.setGuest(false);
    QString page;
    if (Step st = request(QStringLiteral("/login/register/visitkort_edit.asp"), false, &page);
        st != Step::Next)
        return st;
    bool ok = false;
    const int userid = formFieldValue(QStringLiteral("userid"), page).toInt(&ok, 10);
    if (!ok)
        return siteFailed();
    m_s.editProfile([userid](ProfileRecord &p) { p.userid = userid; });

    for (int tries = 0; tries < 3; ++tries) {
        bool answered = false;
        const bool fetched = m_s.fetchProfile(&answered);
        if (superseded())
            return Step::Superseded;
        // A cancel during the fetch must not lead to another request; a
        // page that did not confirm the login has logged out already.
        if (!m_s.loginInProgress())
            return answered && !fetched ? siteFailed() : Step::Failed;
        if (fetched)
            return Step::Next;
    }
    return siteFailed();
}

// Steps 18 to 20.
void Session::LoginRun::succeed(bool guest)
{
    progress(0.0001);
    m_s.notifyPlugins(true);
    if (!guest)
        emit m_s.memberCommandsShown(true);
    if (modSettings::readSetting(QStringLiteral("autologin"), QStringLiteral("logintype"), QString())
        == QLatin1String("lastlogin")) {
        // Config.ini first: the keyring takes it over once it holds it.
        const QString sealed = sealPassword(m_s.password());
        modSettings::writeSetting(QStringLiteral("autologin"), QStringLiteral("lastlogin"), sealed);
        keyringStore::moveFromSettings(m_s.password(), sealed);
    }
    m_s.setKeepAlive(true);
    m_s.checkIMail();
}

QString rejectedPasswordText()
{
    return QStringLiteral("Fel lösenord.");
}

QString siteUnreachableText()
{
    const modData::Site &site = modData::site();
    return QStringLiteral("Kan inte nå Sandlund (%1:%2).").arg(site.host).arg(site.port);
}

void Session::askPassword(const QString &reason)
{
    m_password = m_view ? m_view->askPassword(reason) : QString();
    m_passwordTyped = !m_password.isEmpty();
}

void Session::startLogin()
{
    if (m_sequencesRunning > 0) {
        // A login sequence waits further down the stack; starting here would
        // nest this login inside its wait. It gives way, and this login
        // starts once it has ended.
        m_loginAgain = true;
        if (m_loginInProgress) {
            setLoginInProgress(false);
            if (std::shared_ptr<clsData> client = m_client)
                client->CloseCon(true);
        }
        return;
    }
    setLoggedOut();
    askPassword();
    if (!m_password.isEmpty())
        loginSequence();
}

void Session::loginSequence()
{
    ++m_sequencesRunning;
    const auto leave = qScopeGuard([this] {
        // From the event loop, once every sequence's stack has unwound.
        if (--m_sequencesRunning == 0 && std::exchange(m_loginAgain, false))
            QTimer::singleShot(0, this, &Session::startLogin);
    });
    LoginRun run(*this);
    setLoginRunning(true);
    emit loginStarted();

    Step outcome = Step::Failed;
    try {
        outcome = run.attempt();
    } catch (...) {
        // Whatever went wrong on the way, it ends like any failed login.
        outcome = run.superseded() ? Step::Superseded
                  : m_loginInProgress ? run.siteFailed() : Step::Failed;
    }
    if (outcome == Step::Next) {
        try {
            run.succeed(m_guest);
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

    setLoginInProgress(false);
    m_client.reset();
    run.showRunning(false);
    // Only the member who typed the password is told; plug-ins and the
    // start-up login have their own answer (false, "Utloggad").
    if (outcome == Step::Failed && run.failedAtSite() && m_passwordTyped)
        emit loginFailed(siteUnreachableText());
    setLoginRunning(false);
    emit loginFinished(isLoggedIn());
}

void Session::loginWith(const QString &password)
{
    setPassword(password);
    loginSequence();
}

} // namespace modGlobal
