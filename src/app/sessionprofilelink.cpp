#include "app/sessionprofilelink.h"

#include "session/session.h"

namespace modGlobal {

ProfileLink sessionProfileLink(Session &session)
{
    ProfileLink link;
    link.record = &session.profile();
    link.fetch = [&session] { return session.fetchProfile(); };
    link.post = [&session](const ProfileRecord &edited) { return session.postProfile(edited); };
    return link;
}

bool memberLoggedIn(const Session &session)
{
    return session.isLoggedIn() && !session.isGuest();
}

} // namespace modGlobal
