#include "siminboxcontrol.h"

#include "siminbox.h"
#include "sitetime.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTcpSocket>

namespace simInbox {

namespace {

// One request, answered and closed by the site; the status and the body.
std::optional<QByteArray> exchange(quint16 port, const QByteArray &method, qint32 uid, const QByteArray &body)
{
    QTcpSocket socket;
    socket.connectToHost(QStringLiteral("127.0.0.1"), port);
    if (!socket.waitForConnected(5000))
        return std::nullopt;
    QByteArray request = method + " /sim/inbox?uid=" + QByteArray::number(uid) + " HTTP/1.1\r\nHost: 127.0.0.1\r\n";
    request += "Content-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body;
    socket.write(request);
    QByteArray answer;
    while (socket.state() == QAbstractSocket::ConnectedState && socket.waitForReadyRead(5000))
        answer += socket.readAll();
    answer += socket.readAll();
    const qsizetype end = answer.indexOf("\r\n\r\n");
    if (!answer.startsWith("HTTP/1.1 200") || end < 0)
        return std::nullopt;
    return answer.mid(end + 4);
}

} // namespace

bool put(quint16 port, qint32 uid, const QList<sandlundSim::SimIMail> &inbox)
{
    return exchange(port, "PUT", uid, QJsonDocument(sandlundSim::inboxToJson(inbox)).toJson()).has_value();
}

bool add(quint16 port, qint32 uid, const sandlundSim::SimIMail &mail)
{
    return exchange(port, "POST", uid, QJsonDocument(sandlundSim::imailToJson(mail)).toJson()).has_value();
}

std::optional<QList<sandlundSim::SimIMail>> get(quint16 port, qint32 uid)
{
    const auto body = exchange(port, "GET", uid, QByteArray());
    if (!body)
        return std::nullopt;
    const QJsonDocument doc = QJsonDocument::fromJson(*body);
    if (!doc.isArray())
        return std::nullopt;
    QList<sandlundSim::SimIMail> inbox;
    for (const QJsonValue &v : doc.array()) {
        sandlundSim::SimIMail mail;
        if (!sandlundSim::imailFromJson(v.toObject(), mail))
            return std::nullopt;
        inbox.append(mail);
    }
    return inbox;
}

sandlundSim::SimIMail newMail(qint32 mid, const QString &subject, qint32 senderUid, const QString &senderName)
{
    sandlundSim::SimIMail m;
    m.mid = mid;
    m.subject = subject;
    // The site writes its own wall-clock time.
    const QDateTime now = siteTime::fromSecsSinceEpoch(QDateTime::currentSecsSinceEpoch());
    m.sentAt = QDateTime(now.date(), QTime(now.time().hour(), now.time().minute()));
    m.isNew = true;
    m.dateColour = QStringLiteral("FF0000");
    m.senderUid = senderUid;
    m.senderName = senderName;
    return m;
}

} // namespace simInbox
