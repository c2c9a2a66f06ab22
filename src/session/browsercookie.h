#pragma once
#include <QString>

namespace modGlobal {

// What the browser's cookie store knows of the site.
struct BrowserCookie {
    // The store holds at least one cookie that the browser would send to the
    // site (the counterpart of the site's own cookie file being present).
    bool siteCookies = false;
    // The value of the site's "memberid" cookie; "" when there is none.
    QString memberId;
};

// Reads the default Firefox profile's cookies.sqlite under homeDir
// (.mozilla/firefox/profiles.ini). Nothing outside homeDir is read; the
// store is read from a private copy because the browser keeps it locked.
BrowserCookie readBrowserCookie(const QString &homeDir, const QString &siteHost);

} // namespace modGlobal
