#pragma once
// Puts the test session, its profile record and the cookie jar into a
// known state for one profile test.
#include <QByteArray>
#include <QString>
#include <QStringList>

#include "fakemainview.h"
#include "net/moddata.h"
#include "profile/profilerecord.h"
#include "testsession.h"
#include "text/cp1252.h"

namespace sessionfixture {

inline void reset(FakeMainView *view)
{
    resetSession(view);
}

// What a finished login leaves: the member's cookie and password, logged in.
inline void loggedInAs(const QString &password, const QString &cookieValue, qint32 userid)
{
    modGlobal::Session &s = session();
    s.setPassword(password);
    s.notifyPlugins(true);
    modData::CookieJar &jar = session().cookies();
    jar.cookieNames[0] = QStringLiteral("memberid");
    jar.cookieValues[0] = cookieValue;
    profile().userid = userid;
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

// Every field as "name=value", so that a comparison names what differs.
inline QStringList dump(const modGlobal::ProfileRecord &p)
{
    QStringList d;
    const auto add = [&d](const char *name, const QString &value) { d << QLatin1String(name) + u'=' + value; };
    const auto num = [&add](const char *name, qint64 value) { add(name, QString::number(value)); };
    num("userid", p.userid);
    add("firstname", p.firstname);
    add("lastname", p.lastname);
    add("sign", p.sign);
    add("company", p.company);
    add("street", p.street);
    add("postal", p.postal);
    add("sex", p.sex);
    num("age", p.age);
    num("relation", p.relation);
    add("strMobiltelefon", p.strMobiltelefon);
    add("interests", p.interests);
    add("foundthis", p.foundthis);
    add("strabout", p.strabout);
    add("homepage", p.homepage);
    add("email", p.email);
    add("icq", p.icq);
    const QList<bool> boxes = {p.chk1, p.chk2, p.lngHtmlMail, p.chk3, p.setup0, p.setup1, p.setup2, p.setup3,
                               p.chatWelcomeEnabled};
    for (bool b : boxes)
        num("box", b);
    add("strBirthday", p.strBirthday);
    add("strChatWelcome", p.strChatWelcome);
    num("homecity", p.homecity);
    add("homecityName", p.homecityName);
    for (int i = 0; i < modGlobal::kTownCount; ++i) {
        if (!p.towns[i].isEmpty())
            add("town", QString::number(i) + u':' + p.towns[i]);
    }
    for (int level : p.knowledgeLevels)
        num("knowledge", level);
    return d;
}

} // namespace sessionfixture
