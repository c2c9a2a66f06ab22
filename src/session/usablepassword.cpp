#include "session/usablepassword.h"

#include "text/cp1252.h"

namespace modGlobal {

bool isPasswordCharacter(QChar c)
{
    const char16_t u = c.unicode();
    if (u < 0x20 || u == 0x7F)
        return false;
    // The bytes that Windows-1252 leaves undefined come back as C1
    // controls; they name no character.
    if (u >= 0x80 && u <= 0x9F)
        return false;
    return cp1252::code(c) >= 0;
}

bool isUsablePassword(const QString &password)
{
    // Every usable character is one UTF-16 unit, so the size is the count.
    if (password.size() != 5)
        return false;
    for (QChar c : password) {
        if (!isPasswordCharacter(c))
            return false;
    }
    return true;
}

} // namespace modGlobal
