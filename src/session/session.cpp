#include "session/session.h"

#include "net/clsdata.h"
#include "net/moddata.h"
#include "session/mainview.h"

#include <QTimer>

namespace modGlobal {

Session::Session(QObject *parent) : QObject(parent), m_keepTimer(new QTimer(this))
{
    m_keepTimer->setObjectName(QStringLiteral("tmrKeepLogin"));
    m_keepTimer->setInterval(30000);
    connect(m_keepTimer, &QTimer::timeout, this, &Session::keepAlive);
}

Session::~Session() = default;

void Session::updateLoginState()
{
    const LoginState next = m_pluginLoggedIn ? LoginState::LoggedIn
                            : m_loginRunning ? LoginState::LoggingIn
                                             : LoginState::LoggedOut;
    if (next == m_loginState)
        return;
    m_loginState = next;
    emit loginStateChanged(next);
}

void Session::setLoginInProgress(bool inProgress)
{
    change(m_loginInProgress, inProgress, [this] { emit loginInProgressChanged(m_loginInProgress); });
}

void Session::setLoginRunning(bool running)
{
    change(m_loginRunning, running, [] {});
}

void Session::setGuest(bool guest)
{
    change(m_guest, guest, [this] { emit guestChanged(m_guest); });
}

void Session::setKeepAlive(bool on)
{
    change(m_keepsAlive, on, [this] {
        if (m_keepsAlive)
            m_keepTimer->start();
        else
            m_keepTimer->stop();
        emit keepAliveChanged(m_keepsAlive);
    });
}

void Session::setClient(std::shared_ptr<clsData> client)
{
    // Who holds the exchange is no state anyone shows.
    m_client = std::move(client);
}

void Session::setPassword(const QString &password)
{
    m_password = password;
    m_passwordTyped = false;
}

std::shared_ptr<clsData> Session::newExchange()
{
    return clsData::create(&m_cookies);
}

void Session::notifyPlugins(bool loggedIn)
{
    // The state first, so that whoever hears the event reads the new one.
    // Listeners get copies, so none can change the session's own fields.
    const bool leaving = !loggedIn && m_pluginLoggedIn;
    change(m_pluginLoggedIn, loggedIn, [this, loggedIn] {
        if (loggedIn)
            emit this->loggedIn(m_password, m_profile.userid);
        else
            emit loggedOut(m_password, m_profile.userid);
    });
    // The counts were the departing member's; they are nobody's once the
    // logout has been heard.
    if (leaving)
        setIMailCounts(0, 0);
}

void Session::clearProfile()
{
    ProfileRecord cleared = m_profile;
    cleared.userid = 0;
    for (QString *field : {&cleared.firstname, &cleared.lastname, &cleared.company, &cleared.street, &cleared.sex,
                           &cleared.sign, &cleared.strMobiltelefon, &cleared.interests, &cleared.foundthis,
                           &cleared.strabout, &cleared.homepage, &cleared.email, &cleared.icq,
                           &cleared.strChatWelcome, &cleared.homecityName, &cleared.postal})
        field->clear();
    // Told even when it was empty already: a logout's listeners look again.
    if (!change(m_profile, cleared, [this] { emit profileChanged(); }))
        emit profileChanged();
}

void Session::setLoggedOut()
{
    notifyPlugins(false);
    clearProfile();
    emit loggedOutShown(m_loginInProgress);
    setKeepAlive(false);
    emit loginCommandsShown(m_loginInProgress);

    modData::clearCookieJar(m_cookies);

    if (m_view)
        m_view->showLoginProgress(0.0001);

    if (m_loginInProgress) {
        setLoginInProgress(false);
        // Hold a reference: the close may run code that replaces the client.
        if (std::shared_ptr<clsData> client = m_client)
            client->CloseCon(true);
    }

    emit logoutDone();
}

void Session::setLoggedIn()
{
    emit memberShown();
}

void Session::endBySite(const QString &password, quint64 sequence)
{
    // The answer may belong to a session that has gone meanwhile (logout,
    // or a new login during the request).
    if (!m_pluginLoggedIn || m_guest || m_loginInProgress || password != m_password ||
        !isLatestSequence(sequence))
        return;
    emit endedBySite();
    setLoggedOut();
}

void Session::cancelLogin()
{
    m_loginAgain = false;
    setLoginInProgress(false);
    // Hold a reference: the close may run code that replaces the client.
    if (std::shared_ptr<clsData> client = m_client)
        client->CloseCon(true);
}

void Session::checkIMail()
{
    emit imailCheckDue();
}

void Session::setIMailCounts(int count, int newCount)
{
    change(m_counts, std::pair{count, newCount}, [this] { emit imailCountsChanged(m_counts.first, m_counts.second); });
}

} // namespace modGlobal
