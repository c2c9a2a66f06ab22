#pragma once
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

// Runs the demo site (sandlund-sim from $KORTVIK_BIN_DIR) for a test: on a
// free port, with its data in a folder of its own, and its request log at
// hand.
class SimSite
{
public:
    // dataDir: where the site keeps its data; "" gives a temporary folder.
    explicit SimSite(const QStringList &extraArgs = {}, const QString &dataDir = QString());
    ~SimSite();

    static QString binary();

    // Starts the site and waits for its "listening on PORT" line.
    bool start(int timeoutMs = 10000);
    void stop();
    bool isRunning() const;

    quint16 port() const { return m_port; }
    // "127.0.0.1:port"
    QString authority() const;
    // Makes this site the one the client connects to.
    void useAsSite() const;
    // Points a child program (kortvik) at this site: KORTVIK_SITE=127.0.0.1:port.
    void applyTo(QProcessEnvironment &env) const;
    QString dataDir() const { return m_dataDir; }
    // Ends the member's sessions on the site's side (the site logs them out
    // on its own); the number of sessions ended, -1 when the site did not answer.
    int endSession(const QString &password);

    // The request log lines so far ("REQUEST-LINE | Cookie: VALUE").
    QStringList requestLog();
    // Waits until the log has at least n lines.
    bool waitForLogLines(int n, int timeoutMs = 5000);
    // Anything but request lines that the site wrote (errors).
    QString otherOutput() const { return m_other; }

private:
    void drainStderr();

    QStringList m_args;
    QString m_dataDir;
    std::unique_ptr<QTemporaryDir> m_tempData;
    QTemporaryDir m_home;
    std::unique_ptr<QProcess> m_proc;
    quint16 m_port = 0;
    QByteArray m_partial;
    QStringList m_log;
    QString m_other;
};

// The request targets of log lines "GET /x HTTP/1.1 | Cookie: ...".
QStringList requestPaths(const QStringList &log);
// The cookie part of a log line.
QString requestCookies(const QString &logLine);
