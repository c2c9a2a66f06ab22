#pragma once
#include <QString>

#include "profile/profilerecord.h"

namespace modGlobal {

// The form body that sends p back to the site, fields in the site's order.
QString profilePostBody(const ProfileRecord &p);

} // namespace modGlobal
