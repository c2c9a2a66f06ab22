#include "scriptedview.h"

void ScriptedView::showLoginProgress(double value)
{
    calls << QStringLiteral("progress %1").arg(value);
    progress << value;
}

QString ScriptedView::askPassword(const QString &reason)
{
    calls << QStringLiteral("askPassword");
    passwordReasons << reason;
    ++passwordAsked;
    return passwordAnswers.isEmpty() ? QString() : passwordAnswers.takeFirst();
}
