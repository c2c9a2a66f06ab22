#pragma once
#include <functional>

#include "profile/profilerecord.h"

namespace modGlobal {

// What the profile editor needs of the session: the record it edits and
// the two transfers. The editor never reaches for the session itself.
struct ProfileLink {
    ProfileRecord *record = nullptr;
    // Reads the site's profile into the record; true when it did.
    std::function<bool()> fetch;
    // Sends the record and reads it back; true when both went through.
    std::function<bool()> post;
};

} // namespace modGlobal
