#pragma once
// Small helpers shared by the exchange tests.
#include "net/clsdata.h"
#include "net/moddata.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QEvent>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

using CookiePairs = QList<QPair<QString, QString>>;

inline QByteArray httpResponse(const QByteArray &headerLines, const QByteArray &body)
{
    return "HTTP/1.1 200 OK\r\n" + headerLines + (headerLines.isEmpty() ? "" : "\r\n") + "\r\n" + body;
}

inline void fillJar(const CookiePairs &cookies)
{
    modData::clearCookieJar();
    auto &jar = modData::cookieJar();
    for (int i = 0; i < cookies.size() && i < modData::kCookieSlots; ++i) {
        jar.cookieNames[i] = cookies.at(i).first;
        jar.cookieValues[i] = cookies.at(i).second;
    }
}

// The used part of cookieList().
inline QStringList jarEntries()
{
    QStringList l = modData::cookieList();
    l.removeAll(QString());
    return l;
}

inline QString readPage(clsData &c, const QString &path = QStringLiteral("/page.asp"), bool onlyHeader = false,
                        QString *header = nullptr)
{
    return c.Read(path, modData::cookieList(), QString(), QString(), onlyHeader, header);
}

// Runs the deletions that clsData defers to the event loop.
inline void runDeferredDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
