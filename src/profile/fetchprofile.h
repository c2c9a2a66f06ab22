#pragma once

namespace modGlobal {

// Downloads the profile form into profile() and confirms the login by the
// "memberid" cookie: true and logged in, or false and logged out. A failed
// exchange gives false and changes neither the record nor the session.
// Uses session().sessionClient, or a temporary exchange when it holds none.
bool fetchProfile();

} // namespace modGlobal
