#pragma once
// Puts a session into states that otherwise need a site or a plug-in: the
// member's cookie, a password without a login, a login that holds the
// session. Every change goes through the session's own announcing setters.
#include "session/session.h"

#include <QSignalSpy>

#include <functional>
#include <memory>

#include "shownspies.h"

class SessionProbe
{
public:
    static modData::CookieJar &cookies(modGlobal::Session &s) { return s.m_cookies; }
    static void setPassword(modGlobal::Session &s, const QString &password) { s.setPassword(password); }
    static void setGuest(modGlobal::Session &s, bool guest) { s.setGuest(guest); }
    static void setLoginInProgress(modGlobal::Session &s, bool running) { s.setLoginInProgress(running); }
    static void setClient(modGlobal::Session &s, std::shared_ptr<clsData> client) { s.setClient(std::move(client)); }
    static void editProfile(modGlobal::Session &s, const std::function<void(modGlobal::ProfileRecord &)> &edit)
    {
        s.editProfile(edit);
    }
    static void setProfile(modGlobal::Session &s, const modGlobal::ProfileRecord &record)
    {
        s.editProfile([&record](modGlobal::ProfileRecord &p) { p = record; });
    }
};
