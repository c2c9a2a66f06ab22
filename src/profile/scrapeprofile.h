#pragma once
#include <QString>

#include "profile/profilerecord.h"

namespace modGlobal {

// Fills p from the text of the profile form page. Text fields whose
// fragment is absent become empty, check boxes false; number fields whose
// text does not convert keep their value. userid and knowledgeLevels are
// never touched. Pure: no network, no session.
void scrapeProfile(const QString &page, ProfileRecord &p);

} // namespace modGlobal
