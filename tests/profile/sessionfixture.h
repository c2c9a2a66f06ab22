#pragma once
// Puts the calling thread's session, profile record and cookie jar into a
// known state for one profile test.
#include <QByteArray>
#include <QString>

#include "fakemainview.h"
#include "net/moddata.h"
#include "profile/profilerecord.h"
#include "session/modglobal.h"
#include "text/cp1252.h"

namespace sessionfixture {

inline void reset(FakeMainView *view)
{
    modGlobal::SessionState &s = modGlobal::session();
    s = modGlobal::SessionState{};
    s.mainWindow = view;
    modGlobal::profile() = modGlobal::ProfileRecord{};
    modData::clearCookieJar();
}

// What a finished login leaves: the member's cookie and password, logged in.
inline void loggedInAs(const QString &password, const QString &cookieValue, qint32 userid)
{
    modGlobal::SessionState &s = modGlobal::session();
    s.password = password;
    s.pluginLoggedIn = true;
    modData::CookieJar &jar = modData::cookieJar();
    jar.cookieNames[0] = QStringLiteral("memberid");
    jar.cookieValues[0] = cookieValue;
    modGlobal::profile().userid = userid;
}

// An HTTP answer carrying page, optionally setting the memberid cookie.
inline QByteArray response(const QString &page, const QString &memberCookie = QString())
{
    QByteArray r = "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n";
    if (!memberCookie.isNull())
        r += "Set-Cookie: memberid=" + cp1252::encode(memberCookie) + "; path=/\r\n";
    r += "\r\n";
    return r + cp1252::encode(page);
}

// Field-by-field equality, so a failure names the field.
#define KORTVIK_COMPARE_PROFILES(a, b)                                                                  \
    do {                                                                                                \
        const modGlobal::ProfileRecord &x_ = (a);                                                       \
        const modGlobal::ProfileRecord &y_ = (b);                                                       \
        QCOMPARE(x_.userid, y_.userid);                                                                 \
        QCOMPARE(x_.firstname, y_.firstname);                                                           \
        QCOMPARE(x_.lastname, y_.lastname);                                                             \
        QCOMPARE(x_.sign, y_.sign);                                                                     \
        QCOMPARE(x_.company, y_.company);                                                               \
        QCOMPARE(x_.street, y_.street);                                                                 \
        QCOMPARE(x_.postal, y_.postal);                                                                 \
        QCOMPARE(x_.sex, y_.sex);                                                                       \
        QCOMPARE(x_.age, y_.age);                                                                       \
        QCOMPARE(x_.relation, y_.relation);                                                             \
        QCOMPARE(x_.strMobiltelefon, y_.strMobiltelefon);                                               \
        QCOMPARE(x_.interests, y_.interests);                                                           \
        QCOMPARE(x_.foundthis, y_.foundthis);                                                           \
        QCOMPARE(x_.strabout, y_.strabout);                                                             \
        QCOMPARE(x_.homepage, y_.homepage);                                                             \
        QCOMPARE(x_.email, y_.email);                                                                   \
        QCOMPARE(x_.icq, y_.icq);                                                                       \
        QCOMPARE(x_.chk1, y_.chk1);                                                                     \
        QCOMPARE(x_.chk2, y_.chk2);                                                                     \
        QCOMPARE(x_.lngHtmlMail, y_.lngHtmlMail);                                                       \
        QCOMPARE(x_.chk3, y_.chk3);                                                                     \
        QCOMPARE(x_.setup0, y_.setup0);                                                                 \
        QCOMPARE(x_.setup1, y_.setup1);                                                                 \
        QCOMPARE(x_.setup2, y_.setup2);                                                                 \
        QCOMPARE(x_.setup3, y_.setup3);                                                                 \
        QCOMPARE(x_.strBirthday, y_.strBirthday);                                                       \
        QCOMPARE(x_.strChatWelcome, y_.strChatWelcome);                                                 \
        QCOMPARE(x_.chatWelcomeEnabled, y_.chatWelcomeEnabled);                                         \
        QCOMPARE(x_.homecity, y_.homecity);                                                             \
        QCOMPARE(x_.homecityName, y_.homecityName);                                                     \
        QVERIFY(x_.towns == y_.towns);                                                                  \
        QVERIFY(x_.knowledgeLevels == y_.knowledgeLevels);                                              \
    } while (false)

} // namespace sessionfixture
