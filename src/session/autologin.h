#pragma once

// Work of the main window's session timers.
namespace modGlobal {

class Session;

// tmrLoadLogin's tick after the timer has stopped itself: login with the
// stored password or the browser's "memberid" cookie.
void loadLogin(Session &session);
// tmrKeepLogin's tick: header-only "/default.asp" on an exchange of its own,
// with the session's cookies.
void keepLogin(Session &session);

} // namespace modGlobal
