#include "sessionfixture.h"

#include "net/moddata.h"
#include "profile/profilerecord.h"
#include "net/site.h"
#include "settings/modsettings.h"
#include "scriptedserver.h"
#include "simserver.h"

#include <QFile>
#include <QTimer>

#include <utility>

namespace {

// The site the session talks to, for as long as this lives.
class SiteForAWhile
{
public:
    explicit SiteForAWhile(const QString &authority) : m_before(modData::site().authority())
    {
        modData::configureSite(authority);
    }
    ~SiteForAWhile() { modData::configureSite(m_before); }
    SiteForAWhile(const SiteForAWhile &) = delete;
    SiteForAWhile &operator=(const SiteForAWhile &) = delete;

private:
    QString m_before;
};

} // namespace

SessionFixture::SessionFixture(modGlobal::MainView *view)
    : server(&resetSession(view ? view : &fake))
{
    modSettings::overrideProgramFolder(m_folder.path());
    QObject::connect(&server, &clsMainServer::onLogin, [this](const QString &p, qint32 id) {
        events.append({QStringLiteral("onLogin"), p, id});
    });
    QObject::connect(&server, &clsMainServer::onLogout, [this](const QString &p, qint32 id) {
        events.append({QStringLiteral("onLogout"), p, id});
    });
}

SessionFixture::~SessionFixture()
{
    resetSession();
    modSettings::overrideProgramFolder(QString());
}

QString SessionFixture::settingsText() const
{
    QFile f(m_folder.filePath(QStringLiteral("Config.ini")));
    if (!f.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromLatin1(f.readAll());
}

bool sessionfixture::logIn(const QString &password, const std::optional<sandlundSim::SimMember> &member)
{
    sandlundSim::MemberStore members;
    if (member)
        members.add(*member);
    sandlundSim::SimServer site(&members);
    site.setLogRequests(false);
    if (!site.listen(0))
        return false;
    const SiteForAWhile here(QStringLiteral("127.0.0.1:%1").arg(site.port()));
    session().loginWith(password);
    return session().isLoggedIn();
}

bool sessionfixture::whileLoggingIn(const QString &password, const std::function<void()> &body)
{
    ScriptedServer silent;
    if (!silent.listen())
        return false;
    silent.setScript({});
    const SiteForAWhile here(silent.authority());
    bool queued = false;
    bool ran = false;
    // From inside the login's wait for its first answer.
    const auto started = QObject::connect(&session(), &modGlobal::Session::loginInProgressChanged, &silent,
                                          [&](bool inProgress) {
                                              if (!inProgress || std::exchange(queued, true))
                                                  return;
                                              QTimer::singleShot(0, &silent, [&body, &ran] {
                                                  ran = true;
                                                  body();
                                                  if (session().loginInProgress())
                                                      session().cancelLogin();
                                              });
                                          });
    session().loginWith(password);
    QObject::disconnect(started);
    return ran;
}
