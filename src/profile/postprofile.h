#pragma once
#include <QString>

#include "profile/profilerecord.h"

namespace modGlobal {

// The form body that sends p back to the site, fields in the site's order.
QString profilePostBody(const ProfileRecord &p);

// Posts profile() to the site, fetches it again and shows name, alias and
// id in the status bar. Does nothing when logged out or for a guest.
// True when the post was made and the profile read back.
bool postProfile();

} // namespace modGlobal
