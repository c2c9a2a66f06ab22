// scrapeProfile on any page: no crash, and the record stays usable (the
// town id indexes the town table).
#include "fuzzinput.h"
#include "profile/scrapeprofile.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString page = fuzzinput::text(data, size);
    modGlobal::ProfileRecord p;
    p.homecity = 12;
    modGlobal::scrapeProfile(page, p);
    if (p.homecity < 0 || p.homecity >= modGlobal::kTownCount)
        std::abort();
    if (p.sex != QStringLiteral("k") && p.sex != QStringLiteral("m"))
        std::abort();
    // A second pass over the same page gives the same record.
    modGlobal::ProfileRecord q = p;
    modGlobal::scrapeProfile(page, q);
    if (q.firstname != p.firstname || q.sign != p.sign || q.towns != p.towns || q.homecity != p.homecity
        || q.strabout != p.strabout || q.chk1 != p.chk1)
        std::abort();
    return 0;
}
