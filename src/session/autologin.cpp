#include "session/autologin.h"

#include "net/clsdata.h"
#include "net/moddata.h"
#include "net/site.h"
#include "session/browsercookie.h"
#include "session/session.h"
#include "session/sitelogout.h"
#include "session/usablepassword.h"
#include "session/storedpassword.h"
#include "settings/keyringstore.h"
#include "settings/modsettings.h"

#include <QCoreApplication>
#include <QDir>
#include <QScopeGuard>

namespace modGlobal {

namespace {

QString loginType()
{
    return modSettings::readSetting(QStringLiteral("autologin"), QStringLiteral("logintype"), QString());
}

// The keyring answers when it answers (within its bound); by then the
// member may have logged in by hand, which the answer must not disturb.
void loginFromKeyring(Session &session)
{
    keyringStore::read(&session, [&session](keyringStore::Outcome outcome, const QString &password) {
        if (outcome != keyringStore::Outcome::Done)
            return;
        if (!isUsablePassword(password)) {
            // As an unusable Config.ini value: forgotten, not tried on every start.
            keyringStore::remove(&session, [](keyringStore::Outcome) {});
            return;
        }
        if (session.isLoggedIn() || session.loginInProgress()
            || modSettings::readSetting(QStringLiteral("autologin"), QStringLiteral("logintype"), QString())
                   != QLatin1String("lastlogin"))
            return;
        session.loginWith(password);
    });
}

} // namespace

void loadLogin(Session &session)
{
    const QString type = loginType();
    // The browser's store only matters to the two kinds of automatic login,
    // so it is not opened at all otherwise.
    if (type == QLatin1String("iecookie") || type == QLatin1String("lastlogin")) {
        const BrowserCookie cookie = readBrowserCookie(QDir::homePath(), modData::site().host);
        if (cookie.siteCookies) {
            // A site cookie that is no password stops both kinds of login.
            if (!isUsablePassword(cookie.memberId))
                return;
            if (type == QLatin1String("iecookie")) {
                session.loginWith(cookie.memberId);
            }
        }
    }

    const QString stored =
        modSettings::readSetting(QStringLiteral("autologin"), QStringLiteral("lastlogin"), QString());
    if (stored.isEmpty() && loginType() == QLatin1String("lastlogin") && keyringStore::inUse())
        loginFromKeyring(session);
    if (!stored.isEmpty() && loginType() == QLatin1String("lastlogin")) {
        QCoreApplication::processEvents();
        const QString password = unsealPassword(stored);
        QCoreApplication::processEvents();
        if (isUsablePassword(password)) {
            // Into the keyring, if there is one, while the login runs.
            keyringStore::moveFromSettings(password, stored);
            session.loginWith(password);
        } else {
            // Unusable; forget it rather than fail on every start.
            modSettings::writeSetting(QStringLiteral("autologin"), QStringLiteral("lastlogin"), QString());
        }
    }
    QCoreApplication::processEvents();
}

void keepLogin(Session &session)
{
    session.keepAlive();
}

void Session::keepAlive()
{
    // A tick or a wake-up while a keep-alive waits for the site joins it
    // rather than wait inside its wait.
    if (m_keepAliveRunning)
        return;
    const QString password = m_password;
    const quint64 sequence = latestSequence();
    QString header;
    QString result;
    {
        m_keepAliveRunning = true;
        const auto done = qScopeGuard([this] { m_keepAliveRunning = false; });
        const std::shared_ptr<clsData> client = clsData::create(&m_cookies);
        result = client->Read(QStringLiteral("/default.asp"), modData::cookieList(m_cookies), QString(), QString(),
                              true, &header);
    }
    // A failed exchange says nothing about the session.
    if (result != QLatin1String("ERROR") && siteLogout::setsOtherMemberCookie(header, password))
        endBySite(password, sequence);
}

} // namespace modGlobal
