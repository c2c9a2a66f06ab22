#pragma once
#include <QTest>
#include <QtGlobal>

// Tests that need dbus-daemon, Xvfb or xdotool skip when one is missing or
// does not start, so they still run on a bare machine. scripts/test sets
// KORTVIK_REQUIRE_TOOLS=1: there a missing tool fails the test instead of
// hiding it.
inline bool toolsRequired()
{
    return qEnvironmentVariableIntValue("KORTVIK_REQUIRE_TOOLS") != 0;
}

// Ends the current test function: a failure when tools are required, else a skip.
#define KORTVIK_SKIP_WITHOUT_TOOL(why)                                                             \
    do {                                                                                           \
        if (toolsRequired())                                                                       \
            QFAIL(qPrintable(QStringLiteral("required tool unavailable: ") + (why)));              \
        QSKIP(qPrintable(why));                                                                    \
    } while (false)
