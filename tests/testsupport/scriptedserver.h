#pragma once
#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>

#include <memory>
#include <vector>

class QTcpServer;
class QTcpSocket;

// A loopback HTTP server for one test that answers from a script: sends in
// separate chunks, pauses, closes, or just stalls. It runs on the test's own
// thread, so it is served while a client waits in a nested event loop.
class ScriptedServer : public QObject
{
    Q_OBJECT
public:
    struct Step {
        enum Kind { Send, Delay, Close };
        Kind kind = Send;
        QByteArray data;
        int ms = 0;
    };
    using Script = QList<Step>;

    static Step send(const QByteArray &data) { return {Step::Send, data, 0}; }
    static Step delay(int ms) { return {Step::Delay, {}, ms}; }
    static Step close() { return {Step::Close, {}, 0}; }
    // Chunks with a pause between them, so each arrives on its own; the
    // connection then closes.
    static Script chunks(const QList<QByteArray> &parts, int gapMs = 60, bool closeAtEnd = true);

    explicit ScriptedServer(QObject *parent = nullptr);
    ~ScriptedServer() override;

    // Listens on 127.0.0.1 on a free port.
    bool listen();
    quint16 port() const;
    // "127.0.0.1:port"
    QString authority() const;
    // Makes this server the site the client connects to.
    void useAsSite() const;

    // Connection n runs script n; the last script serves all later ones.
    // A script that does not end with close() leaves the connection open.
    void addScript(const Script &script);
    void setScript(const Script &script);
    // By default a script starts once the whole request (with its body) is
    // in; false starts it as soon as the client connects.
    void setWaitForRequest(bool wait) { m_waitForRequest = wait; }
    // Requests whose target begins with path get no answer until release()
    // runs their scripts; held() tells of each as it comes in. "" holds
    // none (the default).
    void holdRequests(const QByteArray &path) { m_holdPath = path; }
    void release();

    int connectionCount() const { return static_cast<int>(m_conns.size()); }
    // What the client sent on connection n.
    QByteArray request(int n = 0) const;
    // Whether the client closed connection n (the server's own close does not count).
    bool clientClosed(int n = 0) const;
    // How many script steps of connection n have run.
    int stepsDone(int n = 0) const;
    // Processes events until connection n is closed by the client or ms pass.
    bool waitForClientClose(int n = 0, int ms = 5000);

signals:
    void held();

private:
    struct Conn;
    void onNewConnection();
    void onReadyRead(Conn *c);
    void runSteps(Conn *c);
    static bool requestComplete(const QByteArray &raw);

    QTcpServer *m_server;
    QList<Script> m_scripts;
    bool m_waitForRequest = true;
    QByteArray m_holdPath;
    std::vector<std::unique_ptr<Conn>> m_conns;
};
