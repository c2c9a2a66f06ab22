#include "firefoxstore.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QVariant>

namespace firefoxstore {

QString firefoxDir(const QString &home)
{
    return home + QStringLiteral("/.mozilla/firefox");
}

bool writeStore(const QString &folder, const QList<Cookie> &cookies)
{
    if (!QDir().mkpath(folder))
        return false;
    static int counter = 0;
    const QString connection = QStringLiteral("firefoxstore-%1").arg(++counter);
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(folder + QStringLiteral("/cookies.sqlite"));
        if (db.open()) {
            QSqlQuery q(db);
            ok = q.exec(QStringLiteral("CREATE TABLE moz_cookies (id INTEGER PRIMARY KEY, name TEXT, "
                                       "value TEXT, host TEXT, path TEXT DEFAULT '/')"));
            for (const Cookie &c : cookies) {
                q.prepare(QStringLiteral("INSERT INTO moz_cookies (name, value, host) VALUES (?, ?, ?)"));
                q.addBindValue(c.name);
                q.addBindValue(c.value);
                q.addBindValue(c.host);
                ok = q.exec() && ok;
            }
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(connection);
    return ok;
}

bool writeProfilesIni(const QString &home, const QString &text)
{
    if (!QDir().mkpath(firefoxDir(home)))
        return false;
    QFile f(firefoxDir(home) + QStringLiteral("/profiles.ini"));
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(text.toUtf8()) >= 0;
}

} // namespace firefoxstore
