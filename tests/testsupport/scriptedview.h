#pragma once
#include <QList>
#include <QString>
#include <QStringList>

#include "session/mainview.h"

// Answers the session's password questions from a script and notes the
// login's progress. What a window shows of the session, the session tells
// by its signals.
class ScriptedView : public modGlobal::MainView
{
public:
    QList<double> progress;  // every value set, in order
    // "askPassword" and "progress <value>", in order.
    QStringList calls;
    // Answers of the password dialog, taken from the front; "" when empty.
    QStringList passwordAnswers;
    int passwordAsked = 0;
    // The reason line of every question, in order.
    QStringList passwordReasons;

    void showLoginProgress(double value) override;
    QString askPassword(const QString &reason) override;
    void clearCalls() { calls.clear(); }
};
