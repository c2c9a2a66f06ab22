#pragma once
// Small helpers shared by the exchange tests.
#include "net/clsdata.h"
#include "net/moddata.h"

#include "httpanswer.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QEvent>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

using CookiePairs = QList<QPair<QString, QString>>;


// The jar the exchange tests give their clsData objects.
inline modData::CookieJar &testJar()
{
    static modData::CookieJar jar;
    return jar;
}

inline void fillJar(const CookiePairs &cookies, modData::CookieJar &jar = testJar())
{
    modData::clearCookieJar(jar);
    for (int i = 0; i < cookies.size() && i < modData::kCookieSlots; ++i) {
        jar.cookieNames[i] = cookies.at(i).first;
        jar.cookieValues[i] = cookies.at(i).second;
    }
}

// The used part of cookieList().
inline QStringList jarEntries(const modData::CookieJar &jar = testJar())
{
    QStringList l = modData::cookieList(jar);
    l.removeAll(QString());
    return l;
}

inline QString readPage(clsData &c, const QString &path = QStringLiteral("/page.asp"), bool onlyHeader = false,
                        QString *header = nullptr)
{
    return c.Read(path, modData::cookieList(testJar()), QString(), QString(), onlyHeader, header);
}

// Runs the deletions that clsData defers to the event loop.
inline void runDeferredDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
