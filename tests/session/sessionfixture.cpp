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

void isolateUserFolders()
{
    static QTemporaryDir *home = nullptr;
    if (home)
        return;
    home = new QTemporaryDir;
    const QByteArray base = home->path().toUtf8();
    qputenv("HOME", base);
    qputenv("XDG_DATA_HOME", base + "/.local/share");
    qputenv("XDG_CONFIG_HOME", base + "/.config");
    qputenv("XDG_CACHE_HOME", base + "/.cache");
}

QStringList requestPaths(const QStringList &log)
{
    QStringList out;
    for (const QString &line : log)
        out.append(line.section(QLatin1Char(' '), 1, 1));
    return out;
}

QString requestCookies(const QString &logLine)
{
    const QString marker = QStringLiteral(" | Cookie: ");
    const qsizetype at = logLine.indexOf(marker);
    return at < 0 ? QString() : logLine.mid(at + marker.size());
}

QByteArray httpAnswer(const QByteArray &body, const QList<QByteArray> &cookies)
{
    QByteArray r = "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n";
    for (const QByteArray &c : cookies)
        r += "Set-Cookie: " + c + "; path=/\r\n";
    r += "Content-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body;
    return r;
}
