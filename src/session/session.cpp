#include "session/session.h"

#include "net/clsdata.h"
#include "net/moddata.h"
#include "session/mainview.h"

namespace modGlobal {

Session::Session(QObject *parent) : QObject(parent) {}

Session::~Session() = default;

void Session::setClient(std::shared_ptr<clsData> client)
{
    m_client = std::move(client);
}

void Session::notifyPlugins(bool loggedIn)
{
    const bool leaving = !loggedIn && m_pluginLoggedIn;
    const bool hadCounts = m_imailCount != 0 || m_newIMailCount != 0;
    // The counts were the departing member's; listeners of loggedOut
    // already see them gone, and hear of it once they have heard the logout.
    if (leaving) {
        m_imailCount = 0;
        m_newIMailCount = 0;
    }
    if (loggedIn != m_pluginLoggedIn) {
        // Listeners get copies, so none can change the session's own fields.
        if (loggedIn)
            emit this->loggedIn(m_password, m_profile.userid);
        else
            emit loggedOut(m_password, m_profile.userid);
    }
    m_pluginLoggedIn = loggedIn;
    if (leaving && hadCounts)
        emit imailCountsChanged(0, 0);
}

void Session::clearProfile()
{
    ProfileRecord &p = m_profile;
    p.userid = 0;
    for (QString *field : {&p.firstname, &p.lastname, &p.company, &p.street, &p.sex, &p.sign,
                           &p.strMobiltelefon, &p.interests, &p.foundthis, &p.strabout,
                           &p.homepage, &p.email, &p.icq, &p.strChatWelcome, &p.homecityName,
                           &p.postal})
        field->clear();
    emit profileChanged();
}

void Session::setLoggedOut()
{
    notifyPlugins(false);
    clearProfile();
    if (m_view)
        m_view->showLoggedOut(m_loginInProgress);

    modData::clearCookieJar(m_cookies);

    if (m_view)
        m_view->showLoginProgress(0.0001);

    if (m_loginInProgress) {
        m_loginInProgress = false;
        // Hold a reference: the close may run code that replaces the client.
        if (std::shared_ptr<clsData> client = m_client)
            client->CloseCon(true);
    }

    if (m_view)
        m_view->relayout();
}

void Session::setLoggedIn()
{
    if (!m_view)
        return;
    m_view->showMember(m_profile.firstname + QLatin1Char(' ') + m_profile.lastname, m_profile.sign,
                       m_profile.userid);
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
    m_loginInProgress = false;
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
    if (count == m_imailCount && newCount == m_newIMailCount)
        return;
    m_imailCount = count;
    m_newIMailCount = newCount;
    emit imailCountsChanged(count, newCount);
}

} // namespace modGlobal
