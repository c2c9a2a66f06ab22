#include "simserver.h"

#include "siminbox.h"

#include "simpages.h"
#include "text/cp1252.h"

#include <QDateTime>
#include <QHostAddress>
#include <QLocale>
#include <QRandomGenerator>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QUrl>

#include <cstdio>
#include <sys/socket.h>

namespace sandlundSim {
namespace {

constexpr qsizetype kMaxRequestHeader = 64 * 1024;
// Room for a whole bulk inbox put through "/sim/inbox".
constexpr qsizetype kMaxRequestBody = 32 * 1024 * 1024;

const QString kProfilePath = QStringLiteral("/login/register/visitkort_edit.asp");

QString randomLetters(int n)
{
    QString s;
    for (int i = 0; i < n; ++i)
        s += QLatin1Char(static_cast<char>('A' + QRandomGenerator::global()->bounded(26)));
    return s;
}

QByteArray percentDecode(const QByteArray &in)
{
    QByteArray out;
    out.reserve(in.size());
    for (qsizetype i = 0; i < in.size(); ++i) {
        const char c = in.at(i);
        if (c == '+') {
            out += ' ';
        } else if (c == '%' && i + 2 < in.size()) {
            bool ok = false;
            const int v = in.mid(i + 1, 2).toInt(&ok, 16);
            if (ok) {
                out += static_cast<char>(v);
                i += 2;
            } else {
                out += c;
            }
        } else {
            out += c;
        }
    }
    return out;
}

bool parseRequest(const QByteArray &raw, qsizetype headerEnd, SimRequest &r)
{
    const QString head = cp1252::decode(raw.left(headerEnd));
    const QStringList lines = head.split(QStringLiteral("\r\n"));
    if (lines.isEmpty())
        return false;
    r.requestLine = lines.first();
    const QStringList parts = r.requestLine.split(QLatin1Char(' '));
    if (parts.size() < 2)
        return false;
    r.method = parts.at(0);
    r.target = parts.at(1);
    const qsizetype q = r.target.indexOf(QLatin1Char('?'));
    r.path = q < 0 ? r.target : r.target.left(q);
    r.query = q < 0 ? QString() : r.target.mid(q + 1);
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const qsizetype colon = lines.at(i).indexOf(QLatin1Char(':'));
        if (colon <= 0)
            continue;
        r.headers.append({lines.at(i).left(colon).trimmed(), lines.at(i).mid(colon + 1).trimmed()});
    }
    return true;
}

} // namespace

QString SimRequest::header(const QString &name) const
{
    for (const auto &h : headers) {
        if (h.first.compare(name, Qt::CaseInsensitive) == 0)
            return h.second;
    }
    return QString();
}

QString SimRequest::cookie(const QString &name) const
{
    const QStringList parts = header(QStringLiteral("Cookie")).split(QLatin1Char(';'));
    for (const QString &p : parts) {
        const QString t = p.trimmed();
        const qsizetype eq = t.indexOf(QLatin1Char('='));
        if (eq > 0 && t.left(eq) == name)
            return t.mid(eq + 1);
    }
    return QString();
}

QList<QPair<QString, QString>> parseForm(const QByteArray &body)
{
    QList<QPair<QString, QString>> out;
    for (const QByteArray &pair : body.split('&')) {
        if (pair.isEmpty())
            continue;
        const qsizetype eq = pair.indexOf('=');
        const QByteArray k = eq < 0 ? pair : pair.left(eq);
        const QByteArray v = eq < 0 ? QByteArray() : pair.mid(eq + 1);
        out.append({cp1252::decode(percentDecode(k)), cp1252::decode(percentDecode(v))});
    }
    return out;
}

SimServer::SimServer(MemberStore *store, QObject *parent)
    : QObject(parent)
    , m_store(store)
    , m_server(new QTcpServer(this))
    , m_sessionName(QStringLiteral("ASPSESSIONID") + randomLetters(8))
{
    connect(m_server, &QTcpServer::newConnection, this, &SimServer::onNewConnection);
}

bool SimServer::listen(quint16 port)
{
    return m_server->listen(QHostAddress::LocalHost, port);
}

quint16 SimServer::port() const
{
    return m_server->serverPort();
}

void SimServer::addStall(const QString &path)
{
    m_stalls.insert(path);
}

void SimServer::addDelay(const QString &path, int ms)
{
    m_delays.insert(path, ms);
}

bool SimServer::addGlitch(const QString &path, const QString &kind, int times)
{
    static const QStringList kinds = {QStringLiteral("maintenance"), QStringLiteral("reset"), QStringLiteral("badrow"),
                                      QStringLiteral("stall")};
    if (!kinds.contains(kind) || times < 0)
        return false;
    for (int i = 0; i < times; ++i)
        m_glitches[path].append(kind);
    return true;
}

void SimServer::onNewConnection()
{
    while (QTcpSocket *s = m_server->nextPendingConnection()) {
        m_buffers.insert(s, QByteArray());
        connect(s, &QTcpSocket::readyRead, this, [this, s] { onReadyRead(s); });
        connect(s, &QTcpSocket::disconnected, this, [this, s] {
            m_buffers.remove(s);
            s->deleteLater();
        });
    }
}

void SimServer::onReadyRead(QTcpSocket *s)
{
    auto it = m_buffers.find(s);
    if (it == m_buffers.end()) {
        s->readAll(); // already answered: one request per connection
        return;
    }
    QByteArray &buf = it.value();
    buf += s->readAll();
    const qsizetype headerEnd = buf.indexOf("\r\n\r\n");
    if (headerEnd < 0) {
        if (buf.size() > kMaxRequestHeader) {
            m_buffers.erase(it);
            s->abort();
        }
        return;
    }
    SimRequest req;
    if (!parseRequest(buf, headerEnd, req)) {
        m_buffers.erase(it);
        s->abort();
        return;
    }
    bool lengthOk = true;
    const qlonglong length = req.header(QStringLiteral("Content-Length")).isEmpty()
        ? 0
        : req.header(QStringLiteral("Content-Length")).toLongLong(&lengthOk);
    if (!lengthOk || length < 0 || length > kMaxRequestBody) {
        m_buffers.erase(it);
        s->abort();
        return;
    }
    if (buf.size() < headerEnd + 4 + length)
        return; // the body is still coming
    req.body = buf.mid(headerEnd + 4, length);
    m_buffers.erase(it);

    // One line per request, before the answer leaves, so a client that has
    // its answer can rely on the line being written.
    if (m_logRequests) {
        const QByteArray line = (req.requestLine + QStringLiteral(" | Cookie: ")
                                 + req.header(QStringLiteral("Cookie")))
                                    .toUtf8();
        std::fprintf(stderr, "%s\n", line.constData());
        std::fflush(stderr);
    }

    const SimResponse resp = handle(req);
    if (resp.stall)
        return; // keep the connection open; it goes when the client goes
    const int delay = m_delays.value(req.path, m_delays.value(req.target));
    if (delay > 0) {
        // The socket is the timer's context: a client that leaves cancels it.
        QTimer::singleShot(delay, s, [this, s, resp] { answer(s, resp); });
        return;
    }
    answer(s, resp);
}

void SimServer::answer(QTcpSocket *s, const SimResponse &resp)
{
    if (resp.reset) {
        // No lingering: the close sends a reset, not an orderly end.
        const linger noLinger{1, 0};
        ::setsockopt(static_cast<int>(s->socketDescriptor()), SOL_SOCKET, SO_LINGER, &noLinger, sizeof noLinger);
        s->abort();
        return;
    }
    if (m_chunkSize > 0) {
        for (const QByteArray &piece : serializeChunked(resp, m_chunkSize)) {
            s->write(piece);
            s->flush();
        }
    } else {
        s->write(serialize(resp));
    }
    s->disconnectFromHost();
}

int SimServer::endSession(const QString &password)
{
    int ended = 0;
    for (auto it = m_loginSessions.begin(); it != m_loginSessions.end();) {
        if (it.value() == password.toLower()) {
            m_endedSessions.insert(it.key());
            it = m_loginSessions.erase(it);
            ++ended;
        } else {
            ++it;
        }
    }
    return ended;
}

// A request of a session the site has ended: a new session cookie, the
// "memberid" cookie reset, and the login form for the member pages. A new
// login goes through as usual.
bool SimServer::answerEndedSession(const SimRequest &req, SimResponse &resp)
{
    const QString session = req.cookie(m_sessionName);
    if (session.isEmpty() || !m_endedSessions.contains(session))
        return false;
    if (req.path.toLower() == QLatin1String("/login.asp")) {
        m_endedSessions.remove(session);
        return false;
    }
    resp.setCookies << m_sessionName + QLatin1Char('=') + randomLetters(24) + QStringLiteral("; path=/")
                    << QStringLiteral("memberid=0; path=/");
    const QString path = req.path.toLower();
    if (path == kProfilePath || path == QLatin1String("/login/community/main.asp")) {
        resp.body = loginRequiredPage();
        return true;
    }
    return false;
}

bool SimServer::answerGlitch(const SimRequest &req, SimResponse &resp)
{
    auto it = m_glitches.find(req.path);
    if (m_glitching || it == m_glitches.end() || it->isEmpty())
        return false;
    const QString kind = it->takeFirst();
    if (kind == QLatin1String("reset")) {
        resp.reset = true;
    } else if (kind == QLatin1String("stall")) {
        resp.stall = true;
    } else if (kind == QLatin1String("maintenance")) {
        resp.body = maintenancePage();
    } else {
        // The page as it would be, with the first row's date made unreadable.
        m_glitching = true;
        resp = handle(req);
        m_glitching = false;
        const QString cell = QStringLiteral("align=\"right\" class=\"rad\" valign=\"top\"><font face=\"Verdana\" color=\"#");
        const qsizetype at = resp.body.indexOf(cell);
        // Colour code, the closing `">` and a blank come before the date.
        const qsizetype date = at < 0 ? -1 : at + cell.size() + 9;
        const qsizetype end = date < 0 ? -1 : resp.body.indexOf(QStringLiteral("</font>"), date);
        if (end > date)
            resp.body.replace(date, end - date, QStringLiteral("2026-13-45"));
    }
    return true;
}

SimMember *SimServer::memberOf(const SimRequest &request)
{
    return m_store->findByPassword(request.cookie(QStringLiteral("memberid")));
}

void SimServer::rememberLogin(const SimRequest &req, const SimResponse &resp, const QString &password)
{
    QString session = req.cookie(m_sessionName);
    const QString prefix = m_sessionName + QLatin1Char('=');
    for (const QString &c : resp.setCookies) {
        if (c.startsWith(prefix))
            session = c.mid(prefix.size()).section(QLatin1Char(';'), 0, 0);
    }
    if (!session.isEmpty())
        m_loginSessions.insert(session, password.toLower());
}

void SimServer::addSessionCookie(const SimRequest &request, SimResponse &response)
{
    if (!request.cookie(m_sessionName).isEmpty())
        return;
    response.setCookies << m_sessionName + QLatin1Char('=') + randomLetters(24) + QStringLiteral("; path=/");
}

void SimServer::applyProfilePost(SimMember &m, const SimRequest &request)
{
    const auto form = parseForm(request.body);
    QHash<QString, QString> f;
    for (const auto &kv : form)
        f.insert(kv.first, kv.second);
    // A post for someone else's card changes nothing.
    if (f.value(QStringLiteral("uid")) != QString::number(m.userid))
        return;
    auto text = [&f](const char *key, QString &field) {
        const auto it = f.constFind(QLatin1String(key));
        if (it != f.constEnd())
            field = it.value();
    };
    auto number = [&f](const char *key, qint32 &field, int lo, int hi) {
        const auto it = f.constFind(QLatin1String(key));
        if (it == f.constEnd())
            return;
        bool ok = false;
        const int v = it.value().toInt(&ok);
        if (ok && v >= lo && v <= hi)
            field = v;
    };
    auto flag = [&f](const char *key) { return f.value(QLatin1String(key)) == QLatin1String("1"); };

    text("strBirthday", m.strBirthday);
    text("firstname", m.firstname);
    text("company", m.company);
    text("lastname", m.lastname);
    text("sign", m.sign);
    text("street", m.street);
    if (f.contains(QStringLiteral("sex")))
        m.sex = f.value(QStringLiteral("sex")) == QLatin1String("1") ? QStringLiteral("1") : QStringLiteral("2");
    text("postal", m.postal);
    number("age", m.age, 0, 7);
    text("strMobiltelefon", m.strMobiltelefon);
    number("relation", m.relation, 0, 4);
    text("interests", m.interests);
    text("foundthis", m.foundthis);
    number("homecity", m.homecity, 0, 300);
    text("strabout", m.strabout);
    text("homepage", m.homepage);
    text("email", m.email);
    text("icq", m.icq);
    // An unticked box is left out of the form.
    m.chk1 = flag("chk1");
    m.chk2 = flag("chk2");
    m.lngHtmlMail = flag("lngHtmlMail");
    m.chk3 = flag("chk3");
    m.setup0 = flag("setup0");
    m.setup1 = flag("setup1");
    m.setup2 = flag("setup2");
    m.setup3 = flag("setup3");
    // A disabled box is not part of the form, whatever the post says.
    if (m.greetingEnabled)
        text("strChatWelcome", m.strChatWelcome);
    m_store->save();
}

SimResponse SimServer::handle(const SimRequest &req)
{
    SimResponse resp;
    if (m_stalls.contains(req.path) || m_stalls.contains(req.target)) {
        resp.stall = true;
        return resp;
    }
    if (handleInboxControl(*m_store, req, resp))
        return resp;
    const QString path = req.path.toLower();
    if (path == QLatin1String("/_sim/endsession")) {
        const QString password = req.query.section(QLatin1Char('='), 1);
        resp.body = QStringLiteral("ended ") + QString::number(endSession(password));
        return resp;
    }
    if (path == QLatin1String("/_sim/glitch")) {
        QHash<QString, QString> q;
        for (const QString &kv : req.query.split(QLatin1Char('&')))
            q.insert(kv.section(QLatin1Char('='), 0, 0), QUrl::fromPercentEncoding(kv.section(QLatin1Char('='), 1).toLatin1()));
        const int times = q.value(QStringLiteral("times"), QStringLiteral("1")).toInt();
        const bool ok = addGlitch(q.value(QStringLiteral("path")), q.value(QStringLiteral("kind")), times);
        resp.status = ok ? 200 : 400;
        resp.reason = ok ? QStringLiteral("OK") : QStringLiteral("Bad Request");
        resp.body = ok ? QStringLiteral("glitch ") + QString::number(times) : QStringLiteral("unknown kind");
        return resp;
    }
    if (answerGlitch(req, resp))
        return resp;
    if (answerEndedSession(req, resp))
        return resp;
    const bool isPost = req.method == QLatin1String("POST");
    if (resp.setCookies.isEmpty() && (path.endsWith(QLatin1String(".asp")) || path == QLatin1String("/")))
        addSessionCookie(req, resp);

    const QString memberCookie = req.cookie(QStringLiteral("memberid"));
    const bool guest = memberCookie.compare(QLatin1String(kGuestPassword), Qt::CaseInsensitive) == 0;

    if (path == QLatin1String("/") || path == QLatin1String("/default.asp")) {
        resp.body = startPage();
    } else if (path == QLatin1String("/cookie.asp")) {
        resp.body = cookieCheckPage();
    } else if (path == QLatin1String("/login.asp")) {
        if (guest) {
            resp.setCookies << QStringLiteral("memberid=") + QLatin1String(kGuestPassword) + QStringLiteral("; path=/");
            resp.body = welcomePage(QString::fromUtf8("gäst"));
        } else if (SimMember *m = memberOf(req)) {
            resp.setCookies << QStringLiteral("memberid=") + m->password + QStringLiteral("; path=/");
            rememberLogin(req, resp, m->password);
            resp.body = welcomePage(m->firstname);
        } else {
            resp.body = rejectedLoginPage();
        }
    } else if (path == QLatin1String("/loginrejected.asp")) {
        resp.body = loginRejectedInfoPage();
    } else if (path == kProfilePath) {
        SimMember *m = guest ? nullptr : memberOf(req);
        if (!m) {
            resp.body = loginRequiredPage();
        } else {
            if (isPost)
                applyProfilePost(*m, req);
            resp.body = profileFormPage(*m);
        }
    } else if (path == QLatin1String("/login/community/main.asp")) {
        if (guest)
            resp.body = guestMainPage();
        else if (SimMember *m = memberOf(req))
            resp.body = memberMainPage(*m);
        else
            resp.body = loginRequiredPage();
    } else if (path == QLatin1String("/large.asp")) {
        int bytes = 51200;
        for (const QString &kv : req.query.split(QLatin1Char('&'))) {
            if (kv.startsWith(QLatin1String("bytes=")))
                bytes = kv.mid(6).toInt();
        }
        resp.body = largePage(qBound(0, bytes, 16 * 1024 * 1024));
    } else {
        resp.status = 404;
        resp.reason = QStringLiteral("Not Found");
        resp.body = notFoundPage(req.path);
    }
    return resp;
}

QByteArray SimServer::serialize(const SimResponse &r)
{
    const QByteArray body = cp1252::encode(r.body);
    QString h = QStringLiteral("HTTP/1.1 ") + QString::number(r.status) + QLatin1Char(' ') + r.reason
        + QStringLiteral("\r\nServer: Sandlund-Sim/1.0\r\nDate: ")
        + QLocale::c().toString(QDateTime::currentDateTimeUtc(),
                                QStringLiteral("ddd, dd MMM yyyy HH:mm:ss 'GMT'"))
        + QStringLiteral("\r\nContent-Type: text/html\r\nContent-Length: ") + QString::number(body.size())
        + QStringLiteral("\r\n");
    for (const QString &c : r.setCookies)
        h += QStringLiteral("Set-Cookie: ") + c + QStringLiteral("\r\n");
    for (const auto &x : r.extraHeaders)
        h += x.first + QStringLiteral(": ") + x.second + QStringLiteral("\r\n");
    h += QStringLiteral("Cache-control: private\r\nConnection: close\r\n\r\n");
    return cp1252::encode(h) + body;
}

QList<QByteArray> SimServer::serializeChunked(const SimResponse &r, int chunkSize)
{
    QByteArray whole = serialize(r);
    const qsizetype headerEnd = whole.indexOf("\r\n\r\n");
    QByteArray header = whole.left(headerEnd + 2);
    const QByteArray body = whole.mid(headerEnd + 4);
    const qsizetype lengthAt = header.indexOf("Content-Length: ");
    const qsizetype lengthEnd = header.indexOf("\r\n", lengthAt) + 2;
    header.replace(lengthAt, lengthEnd - lengthAt, "Transfer-Encoding: chunked\r\n");

    QList<QByteArray> pieces{header + "\r\n"};
    int n = 0;
    for (qsizetype at = 0; at < body.size(); at += chunkSize) {
        const QByteArray data = body.mid(at, chunkSize);
        pieces << QByteArray::number(data.size(), 16) + ";piece=" + QByteArray::number(++n) + "\r\n" + data
                      + "\r\n";
    }
    pieces << QByteArray("0\r\nX-Sim-Pieces: ") + QByteArray::number(n) + "\r\n\r\n";
    return pieces;
}

} // namespace sandlundSim
