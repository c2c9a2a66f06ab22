#pragma once
#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPair>
#include <QSet>
#include <QString>
#include <QStringList>

#include "simmembers.h"

class QTcpServer;
class QTcpSocket;

namespace sandlundSim {

struct SimRequest {
    QString requestLine;
    QString method;
    QString target;   // path and query as sent
    QString path;     // without the query
    QString query;    // without the "?"
    QList<QPair<QString, QString>> headers;
    QByteArray body;

    QString header(const QString &name) const; // first, by name in any case; "" when absent
    QString cookie(const QString &name) const; // from the Cookie header; "" when absent
};

struct SimResponse {
    int status = 200;
    QString reason = QStringLiteral("OK");
    QStringList setCookies; // "name=value; path=/"
    QList<QPair<QString, QString>> extraHeaders;
    QString body;
    bool stall = false;     // never answer, keep the connection open
    bool reset = false;     // reset the connection instead of answering
};

// Parses "a=1&b=%E5+x" (Windows-1252 escapes); later duplicates win.
QList<QPair<QString, QString>> parseForm(const QByteArray &body);

// The site's HTTP side: one request per connection, answered and closed.
class SimServer : public QObject
{
    Q_OBJECT
public:
    explicit SimServer(MemberStore *store, QObject *parent = nullptr);

    bool listen(quint16 port);
    quint16 port() const;
    void addStall(const QString &path);
    // Answers requests for path only after ms milliseconds.
    void addDelay(const QString &path, int ms);
    // Answers with "Transfer-Encoding: chunked", chunks of at most n bytes
    // (each in a write of its own, with an extension), and a trailer; 0 sends
    // Content-Length as usual.
    void setChunkSize(int n) { m_chunkSize = n; }
    // Whether each request is written to stderr (the request log); on by default.
    void setLogRequests(bool on) { m_logRequests = on; }
    // Ends every session a member logged in with (password in any case), as
    // the site does on its own: the next request of such a session gets the
    // "memberid" cookie reset and the login form. Gives the number ended.
    int endSession(const QString &password);
    // The next `times` requests for path go wrong in the way `kind` says:
    // "maintenance" (a page without the inbox), "reset" (the connection is
    // reset before any answer), "badrow" (the first inbox row's date cannot
    // be read) or "stall" (never answered). False for an unknown kind.
    bool addGlitch(const QString &path, const QString &kind, int times);
    // Session cookie name of this run: "ASPSESSIONID" and eight letters.
    QString sessionCookieName() const { return m_sessionName; }

    // Routing and page logic, without the network.
    SimResponse handle(const SimRequest &request);

    // The raw response as sent on the wire.
    static QByteArray serialize(const SimResponse &response);
    // The same answer chunked: the header block, then one piece per chunk
    // with the terminating chunk and trailer as the last piece.
    static QList<QByteArray> serializeChunked(const SimResponse &response, int chunkSize);

private:
    void onNewConnection();
    void onReadyRead(QTcpSocket *socket);
    void answer(QTcpSocket *socket, const SimResponse &response);
    bool answerGlitch(const SimRequest &request, SimResponse &response);
    SimMember *memberOf(const SimRequest &request);
    void addSessionCookie(const SimRequest &request, SimResponse &response);
    void applyProfilePost(SimMember &member, const SimRequest &request);
    void rememberLogin(const SimRequest &request, const SimResponse &response, const QString &password);
    bool answerEndedSession(const SimRequest &request, SimResponse &response);

    MemberStore *m_store;
    QTcpServer *m_server;
    QSet<QString> m_stalls;
    QHash<QString, int> m_delays;
    QHash<QString, QStringList> m_glitches; // path -> kinds still to come, in order
    bool m_glitching = false;               // building the page a glitch spoils
    QHash<QTcpSocket *, QByteArray> m_buffers;
    QString m_sessionName;
    int m_chunkSize = 0;
    bool m_logRequests = true;
    QHash<QString, QString> m_loginSessions; // session cookie value -> password, lower case
    QSet<QString> m_endedSessions;
};

} // namespace sandlundSim
