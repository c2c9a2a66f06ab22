#pragma once
#include <QObject>
#include <QString>

#include <memory>
#include <utility>

#include "net/moddata.h"
#include "profile/profilerecord.h"

class clsData;
class QTimer;

namespace modGlobal {

class MainView;

// The member's session: the login state, the profile record, the cookie jar
// and the exchange object of a running login. The application object creates
// the one session and hands it to the window, the plug-in server and the
// iMail watch; they hear of changes through its signals, which are emitted in
// the order the login steps raise them.
class Session : public QObject
{
    Q_OBJECT
    Q_PROPERTY(LoginState loginState READ loginState NOTIFY loginStateChanged)
    Q_PROPERTY(bool loggedIn READ isLoggedIn NOTIFY loginStateChanged)
    Q_PROPERTY(bool loginInProgress READ loginInProgress NOTIFY loginInProgressChanged)
    Q_PROPERTY(bool guest READ isGuest NOTIFY guestChanged)
    Q_PROPERTY(qint32 memberId READ memberId NOTIFY profileChanged)
    Q_PROPERTY(QString name READ name NOTIFY profileChanged)
    Q_PROPERTY(QString alias READ alias NOTIFY profileChanged)
    Q_PROPERTY(int imailCount READ imailCount NOTIFY imailCountsChanged)
    Q_PROPERTY(int newIMailCount READ newIMailCount NOTIFY imailCountsChanged)
    Q_PROPERTY(bool keepAlive READ keepsAlive NOTIFY keepAliveChanged)
public:
    // LoggingIn lasts from loginStarted to loginFinished while nobody is
    // logged in; a login that has logged in is LoggedIn at once (listeners
    // hear onLogin while the sequence still finishes its steps).
    enum class LoginState { LoggedOut, LoggingIn, LoggedIn };
    Q_ENUM(LoginState)

    explicit Session(QObject *parent = nullptr);
    ~Session() override;

    // The window the session shows itself in; may be null.
    void setView(MainView *view) { m_view = view; }
    MainView *view() const { return m_view; }

    LoginState loginState() const { return m_loginState; }
    // Logged in: plug-ins have heard onLogin and not yet onLogout.
    bool isLoggedIn() const { return m_loginState == LoginState::LoggedIn; }
    // A login sequence is under way (from loginStarted to loginFinished),
    // whether or not it has logged in yet.
    bool loginRunning() const { return m_loginRunning; }
    bool isGuest() const { return m_guest; }
    qint32 memberId() const { return m_profile.userid; }
    QString name() const { return m_profile.firstname + QLatin1Char(' ') + m_profile.lastname; }
    QString alias() const { return m_profile.sign; }

    // Written only by the session's own steps; changes come with profileChanged.
    const ProfileRecord &profile() const { return m_profile; }
    // The site's cookies: every exchange of the session fills this jar and
    // sends what it holds; a logout empties it.
    const modData::CookieJar &cookies() const { return m_cookies; }
    // An exchange object that keeps its cookies in the session's jar.
    std::shared_ptr<clsData> newExchange();
    // The exchange of a running login may talk to the site.
    bool loginInProgress() const { return m_loginInProgress; }
    QString password() const { return m_password; }
    // The password came from the member, through the password dialog.
    bool passwordTyped() const { return m_passwordTyped; }

    // The exchange object of the running login (or one lent for a profile
    // fetch); null otherwise. Holders take their own reference before waiting.
    std::shared_ptr<clsData> client() const { return m_client; }
    // A login holds the session while it runs or holds its exchange object.
    bool busy() const { return m_loginInProgress || m_client != nullptr; }

    // Login steps.
    void setLoggedOut();
    void setLoggedIn();
    void notifyPlugins(bool loggedIn);
    void clearProfile();
    // The member's login command: logged-out state, the password dialog,
    // the login sequence. Asked for while a login sequence runs, it cancels
    // that one and starts once it has ended, so a login command never waits
    // inside a login's wait.
    // reason: the line above the password box ("" for none).
    void askPassword(const QString &reason = QString());
    void startLogin();
    void loginSequence();
    // The login sequence with a password given by a plug-in or the start-up
    // login, not typed.
    void loginWith(const QString &password);
    // Stops a running login at its next step; the sequence logs out itself.
    // A login command waiting for it to end is dropped.
    void cancelLogin();

    // Downloads the profile form into profile() and confirms the login by the
    // "memberid" cookie: setLoggedIn when it matches the password, otherwise
    // setLoggedOut. False on failure or when not confirmed. Uses client(), or
    // an exchange lent to the session for this call when it holds none.
    // answered (optional): whether the site sent the page at all.
    bool fetchProfile(bool *answered = nullptr);
    // Posts edited (the profile with the member's changes) to the site and
    // fetches the profile again; what the site sent back becomes profile().
    // Does nothing when logged out or for a guest.
    bool postProfile(const ProfileRecord &edited);

    // Asks for fresh iMail counts (imailCheckDue); whoever counts answers
    // with setIMailCounts, which emits imailCountsChanged when they change.
    void checkIMail();
    void setIMailCounts(int count, int newCount);
    // The counts of the last check that could read the inbox of this login;
    // 0 after a logout.
    int imailCount() const { return m_counts.first; }
    int newIMailCount() const { return m_counts.second; }

    // The keep-alive request (a tick of tmrKeepLogin, a wake-up): header-only
    // "/default.asp" on an exchange of its own. One at a time: a keep-alive
    // asked for while one waits for the site joins it. An answer that resets
    // a member's "memberid" cookie ends the session.
    void keepAlive();
    bool keepAliveRunning() const { return m_keepAliveRunning; }
    // The login is kept alive: from a successful login to the logout,
    // tmrKeepLogin (a child of the session) asks for a keep-alive every 30 s.
    bool keepsAlive() const { return m_keepsAlive; }

    // Numbers login sequences; see loginSequence.
    quint64 beginSequence() { return ++m_sequenceCount; }
    bool isLatestSequence(quint64 id) const { return m_sequenceCount == id; }
    quint64 latestSequence() const { return m_sequenceCount; }

    // The site has ended the session on its own: an answer to a request sent
    // for the member with this password, while the login of sequence was the
    // latest, said so. Emits endedBySite, then logs out as setLoggedOut does.
    // Nothing when that member is no longer logged in by then, for the guest,
    // or while a login runs.
    void endBySite(const QString &password, quint64 sequence);

signals:
    void loginStateChanged(modGlobal::Session::LoginState state);
    void loginInProgressChanged(bool inProgress);
    void guestChanged(bool guest);
    void keepAliveChanged(bool on);
    void loginStarted();
    // A login attempt begins talking to the site (again, after a rejected
    // password).
    void loginAttemptStarted();
    // The member (or guest) is to be shown as logged in: name(), alias()
    // and memberId() as they are now.
    void memberShown();
    // Nobody is to be shown as logged in; the member commands go off. The
    // keep-alive stops next, then loginCommandsShown follows.
    // loginRunning: a login is still under way.
    void loggedOutShown(bool loginRunning);
    // The second half of a logout's display: the commands of a logged-out
    // member come back. loginRunning: a login is still under way, so the
    // logout command offers to cancel it.
    void loginCommandsShown(bool loginRunning);
    // Whether the login and logout commands act on a running login.
    void loginRunningShown(bool running);
    // Commands only for members: on for a member, off for a guest.
    void memberCommandsShown(bool member);
    // A logout has taken all its steps (the progress is idle again).
    void logoutDone();
    void loggedIn(const QString &password, qint32 userId);
    // With the departing member's password and id.
    void loggedOut(const QString &password, qint32 userId);
    void loginFinished(bool success);
    // A login with a password the member typed has failed for a reason the
    // member cannot see otherwise (the site could not be reached or
    // answered with an error); emitted just before loginFinished. Not for
    // a cancel, and not when the password dialog comes back with the reason.
    void loginFailed(const QString &reason);
    // An exchange lent for a profile fetch outside a login is given back.
    void lentClientReturned();
    void profileChanged();
    // The login wants fresh iMail counts now (answered by setIMailCounts).
    void imailCheckDue();
    void imailCountsChanged(int count, int newCount);
    // Just before the logout that the site, not the member, caused.
    void endedBySite();

private:
    class LoginRun;
    friend class LoginRun;

    // The one place where state changes: compares, stores, moves the login
    // state along, then announces.
    template <typename T, typename Announce>
    bool change(T &field, const T &value, Announce announce)
    {
        if (field == value)
            return false;
        field = value;
        updateLoginState();
        announce();
        return true;
    }
    void updateLoginState();
    void setLoginInProgress(bool inProgress);
    void setLoginRunning(bool running);
    void setGuest(bool guest);
    void setKeepAlive(bool on);
    void setClient(std::shared_ptr<clsData> client);
    // A password given by a plug-in or the start-up login, not typed.
    void setPassword(const QString &password);
    // Changes the profile record and announces it once.
    template <typename Edit>
    void editProfile(Edit edit)
    {
        ProfileRecord next = m_profile;
        edit(next);
        change(m_profile, next, [this] { emit profileChanged(); });
    }
    bool fetchProfileInto(ProfileRecord base, bool *answered);

    MainView *m_view = nullptr;
    ProfileRecord m_profile;
    modData::CookieJar m_cookies;
    std::shared_ptr<clsData> m_client;
    QString m_password;
    bool m_passwordTyped = false;
    bool m_guest = false;
    bool m_loginInProgress = false;
    bool m_loginRunning = false;
    bool m_pluginLoggedIn = false;
    LoginState m_loginState = LoginState::LoggedOut;
    // The iMail counts, all and new.
    std::pair<int, int> m_counts{0, 0};
    bool m_keepAliveRunning = false;
    bool m_keepsAlive = false;
    QTimer *m_keepTimer;
    // Login sequences on the stack (a newer one may run inside an older
    // one's wait, see m_sequenceCount).
    int m_sequencesRunning = 0;
    // A login command came while a login sequence ran; it starts once that
    // sequence has ended.
    bool m_loginAgain = false;
    // Counts login sequences. A sequence started while another one waits
    // (the start-up login during an early plug-in login, or a caller of
    // loginSequence itself) runs to its end inside that wait; the older one
    // then finds itself superseded and leaves the session to the newer one
    // instead of logging it out. The login command never does this.
    quint64 m_sequenceCount = 0;
};

// Why a login failed, as the member reads it.
QString rejectedPasswordText();  // "Fel lösenord."
QString siteUnreachableText();   // "Kan inte nå Sandlund (host:port)."

} // namespace modGlobal
