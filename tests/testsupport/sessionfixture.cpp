#include "sessionfixture.h"

#include "net/moddata.h"
#include "profile/profilerecord.h"
#include "settings/modsettings.h"

#include <QFile>

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
