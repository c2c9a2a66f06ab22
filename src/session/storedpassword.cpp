#include "session/storedpassword.h"

#include "settings/clscryptofilterbox.h"
#include "settings/modsettings.h"

namespace modGlobal {

namespace {
// A constant of the program; stored values made by earlier versions use it too.
const QString kPassphrase = QStringLiteral("kvmtr");
} // namespace

QString sealPassword(const QString &password)
{
    clsCryptoFilterBox box;
    box.setInBuffer(password);
    box.setPassword(kPassphrase);
    box.Sign();
    box.Encrypt();
    return modSettings::encodeStoredValue(box.OutBuffer());
}

QString unsealPassword(const QString &stored)
{
    clsCryptoFilterBox box;
    box.setInBuffer(modSettings::decodeStoredValue(stored));
    box.setPassword(kPassphrase);
    box.Decrypt();
    return box.OutBuffer();
}

} // namespace modGlobal
