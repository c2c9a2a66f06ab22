#pragma once
#include "session/session.h"

#include <QSignalSpy>

// What the session has had its window show: the member or nobody, the
// login commands and the member commands.
struct ShownSpies {
    explicit ShownSpies(modGlobal::Session &s)
        : member(&s, &modGlobal::Session::memberShown)
        , loggedOut(&s, &modGlobal::Session::loggedOutShown)
        , running(&s, &modGlobal::Session::loginRunningShown)
        , commands(&s, &modGlobal::Session::memberCommandsShown)
    {
    }
    bool none() const { return member.isEmpty() && loggedOut.isEmpty() && running.isEmpty() && commands.isEmpty(); }
    QSignalSpy member;
    QSignalSpy loggedOut;
    QSignalSpy running;
    QSignalSpy commands;
};
