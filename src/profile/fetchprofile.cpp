#include "profile/fetchprofile.h"

#include "net/clsdata.h"
#include "net/moddata.h"
#include "profile/scrapeprofile.h"
#include "session/modglobal.h"

namespace modGlobal {

bool fetchProfile()
{
    SessionState &s = session();
    // Without a login's exchange object, one is lent to sessionClient for
    // this call only (so a cancel through setLoggedOut reaches it too).
    std::shared_ptr<clsData> borrowed;
    if (!s.sessionClient) {
        borrowed = clsData::create();
        s.sessionClient = borrowed;
    }
    // Our own reference: sessionClient may change while Read waits.
    const std::shared_ptr<clsData> client = s.sessionClient;

    const QString page = client->Read(QStringLiteral("/login/register/visitkort_edit.asp"),
                                      modData::cookieList(), QString(), QString(), false);

    bool confirmed = false;
    if (page != QStringLiteral("ERROR")) {
        scrapeProfile(page, profile());
        // No cookie never confirms a login, not even against an empty password.
        const QString member = modData::cookieValue(QStringLiteral("memberid"));
        confirmed = !member.isEmpty() && member.toUpper() == s.password.toUpper();
        if (confirmed)
            setLoggedIn();
        else
            setLoggedOut();
    }

    // Give back only what was lent: whatever replaced it meanwhile stays.
    if (borrowed && s.sessionClient == borrowed)
        s.sessionClient.reset();
    return confirmed;
}

} // namespace modGlobal
