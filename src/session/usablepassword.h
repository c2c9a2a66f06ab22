#pragma once
#include <QString>

namespace modGlobal {

// Whether a password may go to the site: exactly five characters, each with
// its own byte in Windows-1252 and none a control character. Anything else
// would be sent as "?" (so different passwords would look alike) or could
// end the Cookie header line early.
bool isUsablePassword(const QString &password);
// The character test alone, for input that is still being typed.
bool isPasswordCharacter(QChar c);

} // namespace modGlobal
