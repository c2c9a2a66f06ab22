#pragma once
#include <QValidator>

// Lets only characters into the password box that a password may hold;
// the length is left to the dialog's own check and messages.
class PasswordValidator : public QValidator
{
    Q_OBJECT
public:
    explicit PasswordValidator(QObject *parent = nullptr);
    State validate(QString &input, int &pos) const override;
};
