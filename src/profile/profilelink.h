#pragma once
#include <functional>

#include "profile/profilerecord.h"

namespace modGlobal {

// What the profile editor needs of the session: the record it shows and
// the two transfers. The editor never reaches for the session itself, and
// the record changes only by what the site sends back.
struct ProfileLink {
    const ProfileRecord *record = nullptr;
    // Reads the site's profile into the record; true when it did.
    std::function<bool()> fetch;
    // Sends the edited record and reads the profile back; true when both
    // went through.
    std::function<bool(const ProfileRecord &edited)> post;
};

} // namespace modGlobal
