#pragma once
#include <QObject>
#include <QString>

#include <memory>

#include "net/moddata.h"
#include "profile/profilerecord.h"

class clsData;

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
public:
    explicit Session(QObject *parent = nullptr);
    ~Session() override;

    // The window the session shows itself in; may be null.
    void setView(MainView *view) { m_view = view; }
    MainView *view() const { return m_view; }

    const ProfileRecord &profile() const { return m_profile; }
    ProfileRecord &profile() { return m_profile; }
    // The site's cookies: every exchange of the session fills this jar and
    // sends what it holds; a logout empties it.
    const modData::CookieJar &cookies() const { return m_cookies; }
    modData::CookieJar &cookies() { return m_cookies; }
    // Logged in as far as plug-ins have been told.
    bool isLoggedIn() const { return m_pluginLoggedIn; }
    bool isGuest() const { return m_guest; }
    void setGuest(bool guest) { m_guest = guest; }
    bool loginInProgress() const { return m_loginInProgress; }
    QString password() const { return m_password; }
    // A password given by a plug-in or the start-up login, not typed.
    void setPassword(const QString &password)
    {
        m_password = password;
        m_passwordTyped = false;
    }
    // The password came from the member, through the password dialog.
    bool passwordTyped() const { return m_passwordTyped; }

    // The exchange object of the running login (or one lent for a profile
    // fetch); null otherwise. Holders take their own reference before waiting.
    std::shared_ptr<clsData> client() const { return m_client; }
    void setClient(std::shared_ptr<clsData> client);
    void setLoginInProgress(bool running) { m_loginInProgress = running; }
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
    // Stops a running login at its next step; the sequence logs out itself.
    // A login command waiting for it to end is dropped.
    void cancelLogin();

    // Downloads the profile form into profile() and confirms the login by the
    // "memberid" cookie: setLoggedIn when it matches the password, otherwise
    // setLoggedOut. False on failure or when not confirmed. Uses client(), or
    // an exchange lent to the session for this call when it holds none.
    // answered (optional): whether the site sent the page at all.
    bool fetchProfile(bool *answered = nullptr);
    // Posts profile() to the site and fetches it again. Does nothing when
    // logged out or for a guest.
    bool postProfile();

    // Asks for fresh iMail counts (imailCheckDue); whoever counts answers
    // with setIMailCounts, which emits imailCountsChanged when they change.
    void checkIMail();
    void setIMailCounts(int count, int newCount);
    // The counts of the last check that could read the inbox of this login;
    // 0 after a logout.
    int imailCount() const { return m_imailCount; }
    int newIMailCount() const { return m_newIMailCount; }

    // The keep-alive request (tmrKeepLogin, a wake-up): header-only
    // "/default.asp" on an exchange of its own. One at a time: a keep-alive
    // asked for while one waits for the site joins it. An answer that resets
    // a member's "memberid" cookie ends the session.
    void keepAlive();
    bool keepAliveRunning() const { return m_keepAliveRunning; }

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
    void loginStarted();
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
    MainView *m_view = nullptr;
    ProfileRecord m_profile;
    modData::CookieJar m_cookies;
    std::shared_ptr<clsData> m_client;
    QString m_password;
    bool m_passwordTyped = false;
    bool m_guest = false;
    bool m_loginInProgress = false;
    bool m_pluginLoggedIn = false;
    int m_imailCount = 0;
    int m_newIMailCount = 0;
    bool m_keepAliveRunning = false;
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
