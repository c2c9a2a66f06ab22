#include "scriptedserver.h"

#include "net/site.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QHostAddress>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <utility>

struct ScriptedServer::Conn {
    QPointer<QTcpSocket> socket;
    QByteArray received;
    Script script;
    int next = 0;
    bool started = false;
    bool held = false;
    bool serverClosed = false;
    bool clientClosed = false;
};

ScriptedServer::Script ScriptedServer::chunks(const QList<QByteArray> &parts, int gapMs, bool closeAtEnd)
{
    Script s;
    for (int i = 0; i < parts.size(); ++i) {
        if (i > 0)
            s << delay(gapMs);
        s << send(parts.at(i));
    }
    if (closeAtEnd)
        s << close();
    return s;
}

ScriptedServer::ScriptedServer(QObject *parent)
    : QObject(parent)
    , m_server(new QTcpServer(this))
{
    connect(m_server, &QTcpServer::newConnection, this, &ScriptedServer::onNewConnection);
}

ScriptedServer::~ScriptedServer()
{
    for (auto &c : m_conns) {
        if (c->socket) {
            c->socket->disconnect(this);
            c->socket->abort();
        }
    }
}

bool ScriptedServer::listen()
{
    return m_server->listen(QHostAddress::LocalHost, 0);
}

quint16 ScriptedServer::port() const
{
    return m_server->serverPort();
}

QString ScriptedServer::authority() const
{
    return QStringLiteral("127.0.0.1:") + QString::number(port());
}

void ScriptedServer::useAsSite() const
{
    modData::configureSite(authority());
}

void ScriptedServer::addScript(const Script &script)
{
    m_scripts.append(script);
}

void ScriptedServer::setScript(const Script &script)
{
    m_scripts = {script};
}

QByteArray ScriptedServer::request(int n) const
{
    return n >= 0 && n < connectionCount() ? m_conns[n]->received : QByteArray();
}

bool ScriptedServer::clientClosed(int n) const
{
    return n >= 0 && n < connectionCount() && m_conns[n]->clientClosed;
}

int ScriptedServer::stepsDone(int n) const
{
    return n >= 0 && n < connectionCount() ? m_conns[n]->next : 0;
}

bool ScriptedServer::waitForClientClose(int n, int ms)
{
    QDeadlineTimer deadline(ms);
    while (!clientClosed(n) && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QCoreApplication::sendPostedEvents();
    }
    return clientClosed(n);
}

bool ScriptedServer::requestComplete(const QByteArray &raw)
{
    const qsizetype end = raw.indexOf("\r\n\r\n");
    if (end < 0)
        return false;
    qsizetype length = 0;
    for (const QByteArray &line : raw.left(end).split('\n')) {
        if (line.toLower().startsWith("content-length:"))
            length = line.mid(15).trimmed().toLongLong();
    }
    return raw.size() >= end + 4 + length;
}

void ScriptedServer::onNewConnection()
{
    while (QTcpSocket *s = m_server->nextPendingConnection()) {
        auto conn = std::make_unique<Conn>();
        Conn *c = conn.get();
        c->socket = s;
        const int index = static_cast<int>(m_conns.size());
        if (!m_scripts.isEmpty())
            c->script = m_scripts.at(qMin(index, static_cast<int>(m_scripts.size()) - 1));
        m_conns.push_back(std::move(conn));
        connect(s, &QTcpSocket::readyRead, this, [this, c] { onReadyRead(c); });
        connect(s, &QTcpSocket::disconnected, this, [c] {
            if (!c->serverClosed)
                c->clientClosed = true;
        });
        if (!m_waitForRequest) {
            c->started = true;
            runSteps(c);
        }
    }
}

void ScriptedServer::onReadyRead(Conn *c)
{
    if (!c->socket)
        return;
    c->received += c->socket->readAll();
    if (!c->started && requestComplete(c->received)) {
        c->started = true;
        const QByteArray target = c->received.left(c->received.indexOf("\r\n")).split(' ').value(1);
        if (!m_holdPath.isEmpty() && target.startsWith(m_holdPath)) {
            c->held = true;
            emit held();
            return;
        }
        runSteps(c);
    }
}

void ScriptedServer::release()
{
    for (auto &c : m_conns) {
        if (std::exchange(c->held, false) && !c->clientClosed)
            runSteps(c.get());
    }
}

void ScriptedServer::runSteps(Conn *c)
{
    while (c->socket && c->next < c->script.size()) {
        const Step step = c->script.at(c->next++);
        switch (step.kind) {
        case Step::Send:
            c->socket->write(step.data);
            c->socket->flush();
            break;
        case Step::Delay:
            QTimer::singleShot(step.ms, this, [this, c] { runSteps(c); });
            return;
        case Step::Close:
            c->serverClosed = true;
            c->socket->disconnectFromHost();
            return;
        }
    }
}
