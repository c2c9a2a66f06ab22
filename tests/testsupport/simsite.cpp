#include "simsite.h"

#include "net/site.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QProcessEnvironment>
#include <QTcpSocket>
#include <QUrl>

SimSite::SimSite(const QStringList &extraArgs, const QString &dataDir)
    : m_args(extraArgs)
    , m_dataDir(dataDir)
{
    if (m_dataDir.isEmpty()) {
        m_tempData = std::make_unique<QTemporaryDir>();
        m_dataDir = m_tempData->path();
    }
}

SimSite::~SimSite()
{
    stop();
}

QString SimSite::binary()
{
    QString dir = QString::fromLocal8Bit(qgetenv("KORTVIK_BIN_DIR"));
    if (dir.isEmpty())
        dir = QCoreApplication::applicationDirPath() + QStringLiteral("/../bin");
    return QDir(dir).filePath(QStringLiteral("sandlund-sim"));
}

bool SimSite::start(int timeoutMs)
{
    stop();
    m_proc = std::make_unique<QProcess>();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    // The site never needs the user's files; keep it away from them.
    env.insert(QStringLiteral("HOME"), m_home.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_home.path() + QStringLiteral("/config"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), m_home.path() + QStringLiteral("/data"));
    m_proc->setProcessEnvironment(env);
    m_proc->setProgram(binary());
    m_proc->setArguments(QStringList{QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--data"),
                                     m_dataDir}
                         + m_args);
    m_proc->start();
    if (!m_proc->waitForStarted(timeoutMs))
        return false;
    QDeadlineTimer deadline(timeoutMs);
    QByteArray out;
    while (!out.contains('\n') && !deadline.hasExpired()) {
        m_proc->setReadChannel(QProcess::StandardOutput);
        if (!m_proc->waitForReadyRead(static_cast<int>(qMax<qint64>(1, deadline.remainingTime()))))
            break;
        out += m_proc->readAllStandardOutput();
    }
    const QByteArray line = out.left(out.indexOf('\n')).trimmed();
    if (!line.startsWith("listening on ")) {
        stop();
        return false;
    }
    m_port = static_cast<quint16>(line.mid(13).toUInt());
    return m_port != 0;
}

void SimSite::stop()
{
    if (!m_proc)
        return;
    if (m_proc->state() != QProcess::NotRunning) {
        m_proc->terminate();
        if (!m_proc->waitForFinished(5000)) {
            m_proc->kill();
            m_proc->waitForFinished(5000);
        }
    }
    drainStderr();
    m_proc.reset();
    m_port = 0;
}

bool SimSite::isRunning() const
{
    return m_proc && m_proc->state() == QProcess::Running;
}

QString SimSite::authority() const
{
    return QStringLiteral("127.0.0.1:") + QString::number(m_port);
}

void SimSite::useAsSite() const
{
    modData::configureSite(authority());
}

void SimSite::applyTo(QProcessEnvironment &env) const
{
    env.insert(QStringLiteral("KORTVIK_SITE"), authority());
}

void SimSite::drainStderr()
{
    if (!m_proc)
        return;
    m_partial += m_proc->readAllStandardError();
    qsizetype nl;
    while ((nl = m_partial.indexOf('\n')) >= 0) {
        const QString line = QString::fromUtf8(m_partial.left(nl));
        m_partial.remove(0, nl + 1);
        if (line.contains(QLatin1String(" | Cookie: ")))
            m_log << line;
        else
            m_other += line + QLatin1Char('\n');
    }
}

QStringList SimSite::requestLog()
{
    if (m_proc && m_proc->state() == QProcess::Running) {
        // The site writes a line before it answers, so the line is in the
        // pipe by the time the client has its answer.
        m_proc->setReadChannel(QProcess::StandardError);
        while (m_proc->waitForReadyRead(30))
            drainStderr();
    }
    drainStderr();
    return m_log;
}

bool SimSite::waitForLogLines(int n, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (requestLog().size() < n && !deadline.hasExpired()) {
    }
    return m_log.size() >= n;
}

int SimSite::endSession(const QString &password)
{
    QTcpSocket socket;
    socket.connectToHost(QStringLiteral("127.0.0.1"), m_port);
    if (!socket.waitForConnected(5000))
        return -1;
    socket.write("GET /_sim/endsession?password=" + QUrl::toPercentEncoding(password) +
                 " HTTP/1.1\r\nHost: " + authority().toLatin1() + "\r\n\r\n");
    QByteArray answer;
    while (socket.waitForReadyRead(5000))
        answer += socket.readAll();
    answer += socket.readAll();
    const qsizetype at = answer.lastIndexOf("ended ");
    return at < 0 ? -1 : answer.mid(at + 6).trimmed().toInt();
}

QStringList requestPaths(const QStringList &log)
{
    QStringList out;
    for (const QString &line : log)
        out.append(line.section(QLatin1Char(' '), 1, 1));
    return out;
}

QString requestCookies(const QString &logLine)
{
    const QString marker = QStringLiteral(" | Cookie: ");
    const qsizetype at = logLine.indexOf(marker);
    return at < 0 ? QString() : logLine.mid(at + marker.size());
}
