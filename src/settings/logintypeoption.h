#pragma once
#include <QString>

namespace modSettings {

// The three ways of logging in at start, as the options dialog offers them.
enum class LoginOption { NoAuto, IECookie, LastLogin };

// "iecookie" and "lastlogin" choose their option; any other stored text
// (a missing key included) means no automatic login.
LoginOption loginOptionFor(const QString &loginType);
// The "logintype" value that stores an option.
QString loginTypeFor(LoginOption option);

} // namespace modSettings
