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
    // Answers with "Transfer-Encoding: chunked", chunks of at most n bytes
    // (each in a write of its own, with an extension), and a trailer; 0 sends
    // Content-Length as usual.
    void setChunkSize(int n) { m_chunkSize = n; }
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
    SimMember *memberOf(const SimRequest &request);
    void addSessionCookie(const SimRequest &request, SimResponse &response);
    void applyProfilePost(SimMember &member, const SimRequest &request);

    MemberStore *m_store;
    QTcpServer *m_server;
    QSet<QString> m_stalls;
    QHash<QTcpSocket *, QByteArray> m_buffers;
    QString m_sessionName;
    int m_chunkSize = 0;
};

} // namespace sandlundSim
