#pragma once

// Work of the main window's session timers.
namespace modGlobal {

class Session;

// tmrLoadLogin's tick after the timer has stopped itself: login with the
// stored password or the browser's "memberid" cookie.
void loadLogin(Session &session);
// tmrKeepLogin's tick: the session's keep-alive (Session::keepAlive).
void keepLogin(Session &session);

} // namespace modGlobal
