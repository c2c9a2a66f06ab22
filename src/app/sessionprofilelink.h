#pragma once
#include "profile/profilelink.h"

// The one place where the profile editor meets the session of this thread.
namespace modGlobal {

// The thread's profile record with the session's fetch and post.
ProfileLink sessionProfileLink();
// Logged in as a member (not as guest): the editor has a profile to show.
bool memberLoggedIn();

} // namespace modGlobal
