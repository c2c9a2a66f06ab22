#include "session/browsercookie.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariant>

#include <atomic>
#include <optional>

namespace modGlobal {

namespace {

// Profile lists and cookie stores beyond these sizes are not the browser's.
constexpr qint64 kMaxProfilesIni = 1 << 20;
constexpr qint64 kMaxCookieStore = 256LL << 20;

struct IniSection {
    QString name;
    QList<QPair<QString, QString>> entries;

    QString value(const QString &key) const
    {
        for (const auto &e : entries) {
            if (e.first.compare(key, Qt::CaseInsensitive) == 0)
                return e.second;
        }
        return QString();
    }
};

QList<IniSection> readIni(const QString &path)
{
    QList<IniSection> sections;
    QFile file(path);
    if (file.size() > kMaxProfilesIni || !file.open(QIODevice::ReadOnly))
        return sections;
    const QString text = QString::fromUtf8(file.read(kMaxProfilesIni));
    for (QString line : text.split(QLatin1Char('\n'))) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')) || line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            sections.append({line.mid(1, line.size() - 2).trimmed(), {}});
            continue;
        }
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq > 0 && !sections.isEmpty())
            sections.last().entries.append({line.left(eq).trimmed(), line.mid(eq + 1).trimmed()});
    }
    return sections;
}

// The profile folders to try, the one the browser starts with first: an
// installation's default, then the profile marked as the default.
QStringList profileFolders(const QString &firefoxDir)
{
    const QList<IniSection> sections = readIni(firefoxDir + QStringLiteral("/profiles.ini"));
    QStringList folders;
    for (const IniSection &s : sections) {
        if (s.name.startsWith(QLatin1String("Install"), Qt::CaseInsensitive)) {
            const QString path = s.value(QStringLiteral("Default"));
            if (!path.isEmpty())
                folders.append(QDir::isAbsolutePath(path) ? path : firefoxDir + QLatin1Char('/') + path);
        }
    }
    for (const IniSection &s : sections) {
        if (s.name.startsWith(QLatin1String("Profile"), Qt::CaseInsensitive)
            && s.value(QStringLiteral("Default")) == QLatin1String("1")) {
            const QString path = s.value(QStringLiteral("Path"));
            if (path.isEmpty())
                continue;
            const bool relative = s.value(QStringLiteral("IsRelative")) != QLatin1String("0");
            folders.append(relative && !QDir::isAbsolutePath(path) ? firefoxDir + QLatin1Char('/') + path
                                                                    : path);
        }
    }
    return folders;
}

// The file's real path when it is a regular file inside home (links resolved).
std::optional<QString> insideHome(const QString &path, const QString &home)
{
    const QFileInfo info(path);
    const QString real = info.canonicalFilePath();
    if (real.isEmpty() || !real.startsWith(home + QLatin1Char('/')))
        return std::nullopt;
    const QFileInfo target(real);
    if (!target.isFile() || target.size() > kMaxCookieStore)
        return std::nullopt;
    return real;
}

// Domains whose cookies the browser sends to host: the host itself, and the
// host and each parent domain written with a leading dot.
QStringList cookieDomains(const QString &host)
{
    const QString h = host.toLower();
    QStringList domains{h};
    const QStringList labels = h.split(QLatin1Char('.'));
    for (qsizetype i = 0; i < labels.size(); ++i)
        domains.append(QLatin1Char('.') + labels.mid(i).join(QLatin1Char('.')));
    return domains;
}

// How closely a cookie's host fits: the exact host beats any domain, and a
// longer domain beats a shorter one.
int specificity(const QString &cookieHost, const QString &host)
{
    return cookieHost.compare(host, Qt::CaseInsensitive) == 0 ? 1 << 20 : static_cast<int>(cookieHost.size());
}

BrowserCookie queryStore(const QString &storePath, const QString &host)
{
    BrowserCookie result;
    static std::atomic<int> counter{0};
    const QString connection = QStringLiteral("kortvik-browser-cookies-%1").arg(++counter);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(storePath);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        if (db.open()) {
            const QStringList domains = cookieDomains(host);
            QStringList marks;
            for (qsizetype i = 0; i < domains.size(); ++i)
                marks.append(QStringLiteral("?"));
            QSqlQuery query(db);
            query.setForwardOnly(true);
            query.prepare(QStringLiteral("SELECT name, value, host FROM moz_cookies WHERE lower(host) IN (")
                          + marks.join(QLatin1Char(',')) + QLatin1Char(')'));
            for (const QString &d : domains)
                query.addBindValue(d);
            int best = -1;
            if (query.exec()) {
                while (query.next()) {
                    result.siteCookies = true;
                    if (query.value(0).toString() != QLatin1String("memberid"))
                        continue;
                    const int fit = specificity(query.value(2).toString(), host);
                    if (fit > best) {
                        best = fit;
                        result.memberId = query.value(1).toString();
                    }
                }
            }
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(connection);
    return result;
}

} // namespace

BrowserCookie readBrowserCookie(const QString &homeDir, const QString &siteHost)
{
    const QString home = QFileInfo(homeDir).canonicalFilePath();
    if (home.isEmpty() || home == QLatin1String("/") || siteHost.isEmpty()
        || !QSqlDatabase::isDriverAvailable(QStringLiteral("QSQLITE")))
        return {};
    const QString firefoxDir = home + QStringLiteral("/.mozilla/firefox");
    if (!insideHome(firefoxDir + QStringLiteral("/profiles.ini"), home))
        return {};

    for (const QString &folder : profileFolders(firefoxDir)) {
        const std::optional<QString> store = insideHome(folder + QStringLiteral("/cookies.sqlite"), home);
        if (!store)
            continue;
        QTemporaryDir copyDir;
        if (!copyDir.isValid())
            return {};
        const QString copy = copyDir.filePath(QStringLiteral("cookies.sqlite"));
        if (!QFile::copy(*store, copy))
            return {};
        // Recent changes may still sit in the write-ahead log beside the store.
        if (const std::optional<QString> wal = insideHome(*store + QStringLiteral("-wal"), home))
            QFile::copy(*wal, copy + QStringLiteral("-wal"));
        return queryStore(copy, siteHost);
    }
    return {};
}

} // namespace modGlobal
