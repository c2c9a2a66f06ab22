#pragma once
#include <QString>

namespace modGlobal {

// The password as kept under "autologin" / "lastlogin": signed and encrypted
// with the fixed passphrase, in the settings file's stored-secret form.
QString sealPassword(const QString &password);
// The reverse; "" when the stored text gives nothing.
QString unsealPassword(const QString &stored);

} // namespace modGlobal
