#include "app/sessionprofilelink.h"

#include "profile/fetchprofile.h"
#include "profile/postprofile.h"
#include "session/modglobal.h"

namespace modGlobal {

ProfileLink sessionProfileLink()
{
    ProfileLink link;
    link.record = &profile();
    link.fetch = [] { return fetchProfile(); };
    link.post = [] { return postProfile(); };
    return link;
}

bool memberLoggedIn()
{
    return isLoggedIn() && !session().guest;
}

} // namespace modGlobal
