#include "siminbox.h"

#include "simserver.h"
#include "text/cp1252.h"

#include <QJsonDocument>

namespace sandlundSim {

namespace {

const QString kDateFormat = QStringLiteral("yyyy-MM-dd HH:mm");

// The printable characters of Windows-1252 (the site's code page), with a
// tab; a lone line feed would come back as CR LF, so it is left out.
QString codePageCharacters()
{
    static const QString all = [] {
        QString s = QStringLiteral("\t");
        for (int b = 0x20; b <= 0xFF; ++b) {
            if (b == 0x7F || b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D)
                continue;
            s += cp1252::character(static_cast<unsigned char>(b));
        }
        return s;
    }();
    return all;
}

// The site's answers are Windows-1252; JSON with every non-ASCII character
// escaped passes through unchanged.
QString asciiJson(const QJsonDocument &doc)
{
    const QString text = QString::fromUtf8(doc.toJson(QJsonDocument::Compact));
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        if (c.unicode() < 0x7F)
            out += c;
        else
            out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
    }
    return out;
}

void error(SimResponse &response, int status, const QString &reason)
{
    response.status = status;
    response.reason = reason;
    response.body = reason + QStringLiteral("\r\n");
}

SimMember *memberByUid(MemberStore &store, const QString &query)
{
    for (const QString &kv : query.split(QLatin1Char('&'))) {
        if (!kv.startsWith(QLatin1String("uid=")))
            continue;
        bool ok = false;
        const int uid = kv.mid(4).toInt(&ok);
        if (!ok)
            return nullptr;
        for (const SimMember &m : store.members()) {
            if (m.userid == uid)
                return store.findByPassword(m.password);
        }
    }
    return nullptr;
}

} // namespace

SimMember bulkInboxMember()
{
    SimMember m;
    m.password = QString::fromLatin1(kBulkInboxPassword);
    m.userid = 1004;
    m.firstname = QStringLiteral("Tusen");
    m.lastname = QStringLiteral("Rader");
    m.sign = QStringLiteral("tusen");
    m.sex = QStringLiteral("1");
    m.greetingEnabled = true;
    m.homecity = 1;

    const QString chars = codePageCharacters();
    // Plain wall-clock arithmetic, whatever zone the machine is in.
    const QDateTime newest(QDate(2003, 11, 2), QTime(23, 59), Qt::UTC);
    for (int i = 0; i < kBulkInboxRows; ++i) {
        SimIMail mail;
        mail.mid = 900000 - i;
        // Rows every 7 hours 13 minutes, so they cross both of 2003's
        // daylight-saving changes.
        mail.sentAt = newest.addSecs(-qint64(i) * (7 * 3600 + 13 * 60));
        mail.isNew = i % 4 == 0;
        mail.dateColour = mail.isNew ? QStringLiteral("FF0000") : (i % 2 ? QStringLiteral("000000")
                                                                          : QStringLiteral("008000"));
        mail.senderUid = 1001 + i % 3;
        const qsizetype from = (i * 7) % chars.size();
        mail.subject = QStringLiteral("Rad %1 ").arg(i + 1) + chars.mid(from, 40);
        if (i % 10 == 5)
            mail.subject += QStringLiteral("\r\nandra raden");
        if (i % 50 == 7)
            mail.subject.clear();
        mail.senderName = i % 25 == 3 ? QString() : QStringLiteral("Avsändare ") + chars.mid((i * 13) % chars.size(), 12);
        m.inbox.append(mail);
    }
    return m;
}

QJsonObject imailToJson(const SimIMail &mail)
{
    QJsonObject o;
    o[QStringLiteral("mid")] = mail.mid;
    o[QStringLiteral("subject")] = mail.subject;
    o[QStringLiteral("sentAt")] = mail.sentAt.toString(kDateFormat);
    o[QStringLiteral("isNew")] = mail.isNew;
    o[QStringLiteral("dateColour")] = mail.dateColour;
    o[QStringLiteral("senderUid")] = mail.senderUid;
    o[QStringLiteral("senderName")] = mail.senderName;
    return o;
}

bool imailFromJson(const QJsonObject &o, SimIMail &mail)
{
    const QJsonValue mid = o.value(QStringLiteral("mid"));
    const QJsonValue uid = o.value(QStringLiteral("senderUid"));
    const QJsonValue subject = o.value(QStringLiteral("subject"));
    const QJsonValue name = o.value(QStringLiteral("senderName"));
    const QJsonValue isNew = o.value(QStringLiteral("isNew"));
    if (!mid.isDouble() || !uid.isDouble() || !subject.isString() || !name.isString() || !isNew.isBool())
        return false;
    const QDateTime at = QDateTime::fromString(o.value(QStringLiteral("sentAt")).toString(), kDateFormat);
    if (!at.isValid())
        return false;
    mail.mid = mid.toInt();
    mail.senderUid = uid.toInt();
    mail.subject = subject.toString();
    mail.senderName = name.toString();
    mail.isNew = isNew.toBool();
    mail.sentAt = at;
    mail.dateColour = o.value(QStringLiteral("dateColour"))
                          .toString(mail.isNew ? QStringLiteral("FF0000") : QStringLiteral("000000"));
    return true;
}

QJsonArray inboxToJson(const QList<SimIMail> &inbox)
{
    QJsonArray a;
    for (const SimIMail &m : inbox)
        a.append(imailToJson(m));
    return a;
}

bool handleInboxControl(MemberStore &store, const SimRequest &request, SimResponse &response)
{
    if (request.path != QLatin1String("/sim/inbox"))
        return false;
    SimMember *member = memberByUid(store, request.query);
    if (!member) {
        error(response, 404, QStringLiteral("No such member"));
        return true;
    }
    if (request.method == QLatin1String("GET")) {
        response.body = asciiJson(QJsonDocument(inboxToJson(member->inbox)));
        return true;
    }
    // Bodies are UTF-8 JSON; any character goes in.
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(request.body, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        error(response, 400, QStringLiteral("Bad JSON"));
        return true;
    }
    if (request.method == QLatin1String("PUT") && doc.isArray()) {
        QList<SimIMail> inbox;
        for (const QJsonValue &v : doc.array()) {
            SimIMail mail;
            if (!imailFromJson(v.toObject(), mail)) {
                error(response, 400, QStringLiteral("Bad row"));
                return true;
            }
            inbox.append(mail);
        }
        member->inbox = inbox;
    } else if (request.method == QLatin1String("POST") && doc.isObject()) {
        SimIMail mail;
        if (!imailFromJson(doc.object(), mail)) {
            error(response, 400, QStringLiteral("Bad row"));
            return true;
        }
        member->inbox.prepend(mail);
    } else {
        error(response, 400, QStringLiteral("Bad request"));
        return true;
    }
    response.body = QString::number(member->inbox.size()) + QStringLiteral("\r\n");
    return true;
}

} // namespace sandlundSim
