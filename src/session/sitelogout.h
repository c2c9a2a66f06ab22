#pragma once
#include <QString>

// How an answer of the site tells that the site ended a member's session,
// as opposed to an exchange that failed.
namespace siteLogout {

// The header sets the "memberid" cookie (the name exactly, as the jar
// matches it) to a value other than password, compared in upper case as
// the profile read's check does. An empty value does not count: the jar
// keeps the old value then, so the session goes on.
bool setsOtherMemberCookie(const QString &header, const QString &password);

// The page is the site's login form (it posts a password to /login.asp)
// and not a member page.
bool isLoginFormPage(const QString &page);

} // namespace siteLogout
