#include "session/passwordvalidator.h"

#include "session/usablepassword.h"

PasswordValidator::PasswordValidator(QObject *parent)
    : QValidator(parent)
{
}

QValidator::State PasswordValidator::validate(QString &input, int &) const
{
    for (QChar c : std::as_const(input)) {
        if (!modGlobal::isPasswordCharacter(c))
            return Invalid;
    }
    return Acceptable;
}
