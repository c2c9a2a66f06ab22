#pragma once
#include <QList>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <memory>
#include <optional>

#include "scriptedview.h"
#include "shownspies.h"
#include "simmembers.h"
#include "net/moddata.h"
#include "profile/profilerecord.h"
#include "plugin/clsmainserver.h"
#include "httpanswer.h"
#include "isolatedhome.h"
#include "testsession.h"
#include "text/cp1252.h"

// What plug-ins heard from the server object.
struct HeardEvent {
    QString kind;  // "onLogin" or "onLogout"
    QString password;
    qint32 userId = 0;
    bool operator==(const HeardEvent &o) const
    {
        return kind == o.kind && password == o.password && userId == o.userId;
    }
};

// A fresh session for one test: empty state and cookie jar, scripted
// answers to its password questions, a server object whose events are
// recorded, and a settings file of its own in a temporary program folder.
class SessionFixture
{
public:
    explicit SessionFixture(modGlobal::MainView *view = nullptr);
    ~SessionFixture();

    ScriptedView fake;
    clsMainServer server;
    QList<HeardEvent> events;

    QString settingsFolder() const { return m_folder.path(); }
    QString settingsText() const;

private:
    QTemporaryDir m_folder;
};

// The test session in a known state, reached through its own operations,
// and the answers and records the tests compare it with.
namespace sessionfixture {

inline void reset(ScriptedView *view)
{
    resetSession(view);
}

// The session logs in as password through its own login sequence, at a
// demo site that runs in this process for that login alone; afterwards it
// talks to the site it was pointed at before. member: one more member that
// site knows (its password may differ from password in letter case only).
// False when the login did not succeed.
bool logIn(const QString &password, const std::optional<sandlundSim::SimMember> &member = std::nullopt);

// Runs body while the session's own login as password waits for a site
// that has taken the request and keeps silent; a login that body left
// running is cancelled afterwards. False when body did not run.
bool whileLoggingIn(const QString &password, const std::function<void()> &body);

// A member of no more than a password and a user id.
inline sandlundSim::SimMember member(const QString &password, qint32 userid)
{
    sandlundSim::SimMember m;
    m.password = password;
    m.userid = userid;
    return m;
}

// An HTTP answer carrying page, optionally setting the memberid cookie.
inline QByteArray response(const QString &page, const QString &memberCookie = QString())
{
    HttpAnswer how{.html = true};
    if (!memberCookie.isNull())
        how.cookies << "memberid=" + cp1252::encode(memberCookie);
    return httpAnswer(cp1252::encode(page), how);
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
