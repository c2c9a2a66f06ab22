#pragma once

// Work of the main window's session timers.
namespace modGlobal {

class Session;

// tmrLoadLogin's tick after the timer has stopped itself: login with the
// stored password or the browser's "memberid" cookie.
void loadLogin(Session &session);
// tmrKeepLogin's tick: header-only "/default.asp" on an exchange of its own,
// with the session's cookies. An answer that resets a member's "memberid"
// cookie ends the session.
void keepLogin(Session &session);

} // namespace modGlobal
