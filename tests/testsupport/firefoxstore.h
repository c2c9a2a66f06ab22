#pragma once
#include <QList>
#include <QString>

// Writes browser cookie stores the way Firefox keeps them, for tests:
// <home>/.mozilla/firefox/profiles.ini and a cookies.sqlite per profile.
namespace firefoxstore {

struct Cookie {
    QString name;
    QString value;
    QString host;
};

// Creates folder/cookies.sqlite with a moz_cookies table holding cookies.
bool writeStore(const QString &folder, const QList<Cookie> &cookies);
// Writes <home>/.mozilla/firefox/profiles.ini with the given text.
bool writeProfilesIni(const QString &home, const QString &text);
// <home>/.mozilla/firefox
QString firefoxDir(const QString &home);

} // namespace firefoxstore
