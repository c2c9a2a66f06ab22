#include "session/session.h"

#include "net/clsdata.h"
#include "net/moddata.h"
#include "net/site.h"
#include "profile/postprofile.h"
#include "profile/scrapeprofile.h"

namespace modGlobal {

bool Session::fetchProfile(bool *answered)
{
    return fetchProfileInto(m_profile, answered);
}

bool Session::fetchProfileInto(ProfileRecord base, bool *answered)
{
    // Without a login's exchange object, one is lent to the session for
    // this call only (so a cancel through setLoggedOut reaches it too).
    std::shared_ptr<clsData> borrowed;
    if (!m_client) {
        borrowed = clsData::create(&m_cookies);
        m_client = borrowed;
    }
    // Our own reference: the session's client may change while Read waits.
    const std::shared_ptr<clsData> client = m_client;

    const QString page = client->Read(QStringLiteral("/login/register/visitkort_edit.asp"),
                                      modData::cookieList(m_cookies), QString(), QString(), false);

    bool confirmed = false;
    if (answered)
        *answered = page != QStringLiteral("ERROR");
    if (page != QStringLiteral("ERROR")) {
        // The page's fields over base: what the page lacks stays as base has
        // it. Told even when nothing differs: the profile has been read.
        scrapeProfile(page, base);
        if (!change(m_profile, base, [this] { emit profileChanged(); }))
            emit profileChanged();
        // No cookie never confirms a login, not even against an empty password.
        const QString member = modData::cookieValue(m_cookies, QStringLiteral("memberid"));
        confirmed = !member.isEmpty() && member.toUpper() == m_password.toUpper();
        if (confirmed)
            setLoggedIn();
        else
            setLoggedOut();
    }

    // Give back only what was lent: whatever replaced it meanwhile stays.
    if (borrowed && m_client == borrowed) {
        m_client.reset();
        emit lentClientReturned();
    }
    return confirmed;
}

bool Session::postProfile(const ProfileRecord &edited)
{
    if (!isLoggedIn() || m_guest)
        return false;

    const std::shared_ptr<clsData> client = newExchange();
    const QString referer = modData::site().baseUrl()
                            + QStringLiteral("/login/community/visitkort.asp?uid=")
                            + QString::number(edited.userid);
    // Only the answer's header is awaited; the re-fetch tells what the site
    // kept, and a confirmed fetch shows it.
    const QString answer = client->Read(QStringLiteral("/login/register/visitkort_edit.asp"),
                                        modData::cookieList(m_cookies), profilePostBody(edited), referer, true);
    const bool sent = answer != QStringLiteral("ERROR");
    // The site's answer is read over the edited record.
    const bool fetched = fetchProfileInto(edited, nullptr);
    return sent && fetched;
}

} // namespace modGlobal
