// The demo site: serves the pages the client reads and posts, on 127.0.0.1.
#include "simmembers.h"
#include "simserver.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>

#include <cstdio>

namespace {

QString helpText()
{
    QString t = QStringLiteral(
        "Usage: sandlund-sim [--port N] [--data DIR] [--stall PATH]... [--delay PATH=MS]...\n"
        "                   [--chunked N]\n"
        "\n"
        "Serves the Sandlund community site's pages on 127.0.0.1.\n"
        "\n"
        "Options:\n"
        "  --port N      port to listen on (0 = a free port; default 8080).\n"
        "                The first line on standard output is \"listening on PORT\".\n"
        "  --data DIR    keep profile changes in DIR/members.json across restarts.\n"
        "  --stall PATH  accept requests for PATH but never answer (repeatable).\n"
        "  --delay PATH=MS  answer requests for PATH after MS milliseconds (repeatable).\n"
        "  --chunked N   answer with Transfer-Encoding: chunked, N bytes a chunk.\n"
        "  --help        this text.\n"
        "\n"
        "Each request is logged on standard error as its request line followed by\n"
        "\" | Cookie: \" and the request's Cookie header.\n"
        "\n"
        "Pages: /cookie.asp, /default.asp, /login.asp, /loginrejected.asp,\n"
        "       /login/register/visitkort_edit.asp (GET and POST),\n"
        "       /login/community/main.asp, /large.asp?bytes=N (N bytes of text).\n"
        "Control: /_sim/endsession?password=P ends the sessions member P logged in\n"
        "       with, as the site does on its own (answers \"ended N\").\n"
        "       /_sim/glitch?path=P&kind=K&times=N spoils the next N answers for P:\n"
        "       K is maintenance (a page without the inbox), reset (the connection\n"
        "       is reset before any answer), badrow (the first inbox row's date\n"
        "       cannot be read) or stall (the request is never answered).\n"
        "\n"
        "Inbox control (JSON rows: mid, subject, sentAt \"yyyy-MM-dd HH:mm\", isNew,\n"
        "dateColour, senderUid, senderName):\n"
        "  GET /sim/inbox?uid=N   the member's inbox; PUT replaces it with the\n"
        "                         array in the body; POST puts one row on top.\n"
        "\n"
        "Members (password: name, user id):\n");
    for (const sandlundSim::SimMember &m : sandlundSim::defaultMembers()) {
        QString notes;
        if (m.strBirthday.isEmpty())
            notes += QStringLiteral(", no birth date");
        if (!m.greetingEnabled)
            notes += QStringLiteral(", greeting box disabled");
        if (m.sign.contains(QLatin1Char('&')))
            notes += QStringLiteral(", sign with \"&\"");
        t += QStringLiteral("  %1: %2 %3, %4 (%5 iMails%6)\n")
                 .arg(m.password, m.firstname, m.lastname, QString::number(m.userid),
                      QString::number(m.inbox.size()), notes);
    }
    t += QStringLiteral("  %1: the guest (no profile, no inbox)\n").arg(QLatin1String(sandlundSim::kGuestPassword));
    return t;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("sandlund-sim"));

    QCommandLineParser parser;
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Help."));
    const QCommandLineOption port(QStringLiteral("port"), QStringLiteral("Port."), QStringLiteral("N"),
                                  QStringLiteral("8080"));
    const QCommandLineOption data(QStringLiteral("data"), QStringLiteral("Data folder."), QStringLiteral("DIR"));
    const QCommandLineOption stall(QStringLiteral("stall"), QStringLiteral("Never answer PATH."),
                                   QStringLiteral("PATH"));
    const QCommandLineOption delay(QStringLiteral("delay"), QStringLiteral("Answer PATH late."),
                                   QStringLiteral("PATH=MS"));
    const QCommandLineOption chunked(QStringLiteral("chunked"), QStringLiteral("Chunk size."), QStringLiteral("N"));
    parser.addOptions({help, port, data, stall, delay, chunked});
    if (!parser.parse(QCoreApplication::arguments())) {
        std::fprintf(stderr, "%s\n\n%s", qPrintable(parser.errorText()), qPrintable(helpText()));
        return 2;
    }
    if (parser.isSet(help)) {
        std::fputs(helpText().toUtf8().constData(), stdout);
        return 0;
    }
    bool ok = false;
    const uint portNumber = parser.value(port).toUInt(&ok);
    if (!ok || portNumber > 65535) {
        std::fprintf(stderr, "sandlund-sim: bad port \"%s\"\n", qPrintable(parser.value(port)));
        return 2;
    }

    const QString dataDir = parser.value(data);
    if (!dataDir.isEmpty() && !QDir().mkpath(dataDir)) {
        std::fprintf(stderr, "sandlund-sim: cannot create \"%s\"\n", qPrintable(dataDir));
        return 1;
    }
    sandlundSim::MemberStore store(dataDir);
    sandlundSim::SimServer server(&store);
    for (const QString &p : parser.values(stall))
        server.addStall(p);
    for (const QString &d : parser.values(delay)) {
        const qsizetype eq = d.lastIndexOf(QLatin1Char('='));
        const int ms = eq > 0 ? d.mid(eq + 1).toInt(&ok) : 0;
        if (eq <= 0 || !ok || ms < 0) {
            std::fprintf(stderr, "sandlund-sim: bad delay \"%s\"\n", qPrintable(d));
            return 2;
        }
        server.addDelay(d.left(eq), ms);
    }
    if (parser.isSet(chunked)) {
        const int size = parser.value(chunked).toInt(&ok);
        if (!ok || size <= 0) {
            std::fprintf(stderr, "sandlund-sim: bad chunk size \"%s\"\n", qPrintable(parser.value(chunked)));
            return 2;
        }
        server.setChunkSize(size);
    }
    if (!server.listen(static_cast<quint16>(portNumber))) {
        std::fprintf(stderr, "sandlund-sim: cannot listen on 127.0.0.1:%u\n", portNumber);
        return 1;
    }
    std::printf("listening on %u\n", static_cast<unsigned>(server.port()));
    std::fflush(stdout);
    return app.exec();
}
