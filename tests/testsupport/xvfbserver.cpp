#include "xvfbserver.h"

#include <QStandardPaths>

XvfbServer::~XvfbServer()
{
    if (m_server.state() != QProcess::NotRunning) {
        m_server.terminate();
        if (!m_server.waitForFinished(3000)) {
            m_server.kill();
            m_server.waitForFinished(3000);
        }
    }
}

bool XvfbServer::available()
{
    return !QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty();
}

bool XvfbServer::start(QString *why)
{
    const QString program = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
    if (program.isEmpty()) {
        if (why)
            *why = QStringLiteral("Xvfb is not installed");
        return false;
    }
    m_server.setProgram(program);
    // -displayfd 1: Xvfb picks a free display and prints its number on stdout.
    // -noreset: helpers open a connection per call; without it the server
    // resets whenever the last client leaves, and a program that connects
    // during that reset is lost.
    m_server.setArguments({QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-noreset"),
                           QStringLiteral("-screen"),
                           QStringLiteral("0"),
                           QStringLiteral("%1x%2x24").arg(screenSize().width()).arg(screenSize().height()), QStringLiteral("-nolisten"),
                           QStringLiteral("tcp")});
    m_server.setProcessChannelMode(QProcess::SeparateChannels);
    m_server.start();
    if (!m_server.waitForStarted(5000)) {
        if (why)
            *why = QStringLiteral("Xvfb did not start");
        return false;
    }
    while (!m_server.canReadLine()) {
        if (!m_server.waitForReadyRead(10000)) {
            if (why)
                *why = QStringLiteral("Xvfb printed no display number: ") +
                       QString::fromLocal8Bit(m_server.readAllStandardError());
            return false;
        }
    }
    const QString number = QString::fromUtf8(m_server.readLine()).trimmed();
    if (number.isEmpty())
        return false;
    m_display = QLatin1Char(':') + number;
    return true;
}
