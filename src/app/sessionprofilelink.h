#pragma once
#include "profile/profilelink.h"

// The one place where the profile editor meets the session.
namespace modGlobal {

class Session;

// The session's profile record with its fetch and post.
ProfileLink sessionProfileLink(Session &session);
// Logged in as a member (not as guest): the editor has a profile to show.
bool memberLoggedIn(const Session &session);

} // namespace modGlobal
