// A plug-in's login through the bus against the bare network work: kortvik on
// a private bus with a demo site of its own, doLogin(false, "kalle") from
// the call's sending to its reply, and the very requests that login made
// (read from the site's request log) sent one after another by a blocking
// POSIX client, alternating round by round. The program runs with its login
// trace on (KORTVIK_TRACE_LOGIN), which tells when the last answer arrived
// and where the rest of the time went.
//
//   bench_loginbus [ROUNDS] [BIN_DIR...]
//
// Each BIN_DIR is a build's bin folder (kortvik and sandlund-sim); several
// are measured in the same run, round by round in turn, so that they see the
// same machine load. Without one, the bench's own folder. Prints figures;
// never fails on them.
#include "kortvikonbus.h"
#include "plainclient.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <cstdio>
#include <ctime>
#include <memory>
#include <vector>

namespace {

const QString kService = QStringLiteral("org.kortvik.Kortvik");
const QString kPath = QStringLiteral("/clsMainServer");
const QString kInterface = QStringLiteral("org.kortvik.Kortvik.clsMainServer");

double nowMs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

struct Mark {
    double ms;
    QString what;
};

// One round's trace: the lines from doLogin to reply.
std::vector<Mark> readTrace(QFile &file)
{
    std::vector<Mark> marks;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        const qsizetype space = line.indexOf(QLatin1Char(' '));
        if (space <= 0)
            continue;
        const double ms = line.left(space).toLongLong() / 1e6;
        const QString what = line.mid(space + 1);
        if (what == QLatin1String("doLogin"))
            marks.clear();
        marks.push_back({ms, what});
    }
    return marks;
}

// What the trace of one login says, in milliseconds.
struct Breakdown {
    double callToProgram = 0;  // the call's sending to its arrival in the program
    double inProgram = 0;      // arrival to the reply's sending
    double inRequests = 0;     // sum of each request's send to its answer
    double wakeUps = 0;        // sum of each answer to its wait's return
    double lastAnswerToReply = 0;  // the last answer's arrival to the reply's arrival at the caller
    double replyToCaller = 0;  // the reply's sending to its arrival
    int requests = 0;
    int events = 0;  // paint, timer, layout and queued calls handled on the way
};

bool breakdown(const std::vector<Mark> &marks, double sent, double received, Breakdown *b)
{
    if (marks.empty() || marks.front().what != QLatin1String("doLogin") || marks.back().what != QLatin1String("reply"))
        return false;
    b->callToProgram = marks.front().ms - sent;
    b->inProgram = marks.back().ms - marks.front().ms;
    b->replyToCaller = received - marks.back().ms;
    double send = -1, answered = -1;
    for (const Mark &m : marks) {
        if (m.what.startsWith(QLatin1String("send "))) {
            send = m.ms;
            ++b->requests;
        } else if (m.what == QLatin1String("answered") && send >= 0) {
            b->inRequests += m.ms - send;
            answered = m.ms;
            send = -1;
        } else if (m.what == QLatin1String("woke") && answered >= 0) {
            b->wakeUps += m.ms - answered;
        } else if (m.what.startsWith(QLatin1String("event "))) {
            ++b->events;
        }
    }
    b->lastAnswerToReply = answered < 0 ? 0 : received - answered;
    return true;
}

struct Program {
    QString binDir;
    std::unique_ptr<KortvikOnBus> k;
    QString tracePath;
    std::unique_ptr<QFile> trace;
    std::vector<double> loginMs, plainMs;
    std::vector<Breakdown> breakdowns;
    std::vector<std::vector<Mark>> traces;
    int failures = 0;
};

QDBusMessage callServer(KortvikOnBus &k, const QString &method, const QVariantList &args)
{
    QDBusMessage m = QDBusMessage::createMethodCall(kService, kPath, kInterface, method);
    m.setArguments(args);
    return k.client().call(m, QDBus::Block, 60000);
}

void printFigures(const char *label, const std::vector<double> &v)
{
    std::printf("    %-34s best %7.3f ms  median %7.3f ms\n", label, plainClient::best(v), plainClient::median(v));
}

template<typename F>
std::vector<double> column(const std::vector<Breakdown> &breakdowns, F f)
{
    std::vector<double> v;
    for (const Breakdown &b : breakdowns)
        v.push_back(f(b));
    return v;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 20;
    QStringList dirs;
    for (int i = 2; i < argc; ++i)
        dirs << QString::fromLocal8Bit(argv[i]);
    if (dirs.isEmpty())
        dirs << QCoreApplication::applicationDirPath();

    QTemporaryDir traces;
    std::vector<Program> programs(dirs.size());
    for (qsizetype i = 0; i < dirs.size(); ++i) {
        Program &p = programs[i];
        p.binDir = dirs[i];
        qputenv("KORTVIK_BIN_DIR", p.binDir.toLocal8Bit());
        p.tracePath = traces.filePath(QStringLiteral("trace-%1.txt").arg(i));
        KortvikOnBus::Options options;
        options.env.insert(QStringLiteral("KORTVIK_TRACE_LOGIN"), p.tracePath);
        p.k = std::make_unique<KortvikOnBus>();
        QString why;
        if (!p.k->start(&why, options) || !p.k->waitForMainWindow(p.k->program)) {
            std::fprintf(stderr, "bench_loginbus: %s: %s\n", qPrintable(p.binDir), qPrintable(why));
            return 1;
        }
    }
    // The start-up timers have run (the login at start finds nothing to do).
    QTest::qWait(1500);
    for (Program &p : programs) {
        p.trace = std::make_unique<QFile>(p.tracePath);
        if (!p.trace->open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "bench_loginbus: %s wrote no trace\n", qPrintable(p.binDir));
            return 1;
        }
    }

    // One warm-up round of each, then the rounds in turn.
    for (int round = -1; round < rounds; ++round) {
        for (Program &p : programs) {
            callServer(*p.k, QStringLiteral("doLogout"), {});
            const qsizetype logged = p.k->site->requestLog().size();
            p.trace->readAll();

            const double sent = nowMs();
            const QDBusMessage reply =
                callServer(*p.k, QStringLiteral("doLogin"), {false, QStringLiteral("kalle")});
            const double received = nowMs();
            const bool ok = reply.type() == QDBusMessage::ReplyMessage && reply.arguments().value(0).toBool();

            const QStringList paths = requestPaths(p.k->site->requestLog().mid(logged));
            const double plainStart = nowMs();
            const bool plainOk = plainClient::login(p.k->site->port(), QStringLiteral("kalle"),
                                                    plainClient::pagesOf(paths));
            const double plainEnd = nowMs();

            std::vector<Mark> marks = readTrace(*p.trace);
            Breakdown b;
            if (!ok || !plainOk || !breakdown(marks, sent, received, &b)) {
                ++p.failures;
                continue;
            }
            if (round < 0)
                continue;
            p.loginMs.push_back(received - sent);
            p.plainMs.push_back(plainEnd - plainStart);
            p.breakdowns.push_back(b);
            p.traces.push_back(std::move(marks));
        }
    }

    std::printf("bench_loginbus: doLogin(false, \"kalle\") on a private bus against sandlund-sim on loopback, "
                "%d rounds per program\n", rounds);
    int failures = 0;
    for (Program &p : programs) {
        failures += p.failures;
        std::printf("  %s\n", qPrintable(p.binDir));
        if (p.loginMs.empty()) {
            std::printf("    no login succeeded\n");
            continue;
        }
        std::printf("    requests per login: %d\n", p.breakdowns.front().requests);
        printFigures("doLogin to reply:", p.loginMs);
        printFigures("same requests, blocking client:", p.plainMs);
        std::printf("    ratio login / plain: best %.2f  median %.2f\n",
                    plainClient::best(p.loginMs) / plainClient::best(p.plainMs),
                    plainClient::median(p.loginMs) / plainClient::median(p.plainMs));
        std::printf("    from the trace:\n");
        printFigures("  call to the program:", column(p.breakdowns, [](const Breakdown &b) { return b.callToProgram; }));
        printFigures("  in the program:", column(p.breakdowns, [](const Breakdown &b) { return b.inProgram; }));
        printFigures("    in requests (send to answer):", column(p.breakdowns, [](const Breakdown &b) { return b.inRequests; }));
        printFigures("    answers to their waits' end:", column(p.breakdowns, [](const Breakdown &b) { return b.wakeUps; }));
        printFigures("    the rest (between requests):", column(p.breakdowns, [](const Breakdown &b) {
                         return b.inProgram - b.inRequests - b.wakeUps;
                     }));
        printFigures("  reply to the caller:", column(p.breakdowns, [](const Breakdown &b) { return b.replyToCaller; }));
        printFigures("last answer to the reply:", column(p.breakdowns, [](const Breakdown &b) { return b.lastAnswerToReply; }));
        std::printf("    events handled during a login: median %.0f\n",
                    plainClient::median(column(p.breakdowns, [](const Breakdown &b) { return double(b.events); })));
        // The round of the median login, step by step.
        size_t mid = 0;
        const double m = plainClient::median(p.loginMs);
        for (size_t i = 0; i < p.loginMs.size(); ++i) {
            if (std::abs(p.loginMs[i] - m) < std::abs(p.loginMs[mid] - m))
                mid = i;
        }
        std::printf("    the trace of a login near the median (ms since doLogin, step):\n");
        const std::vector<Mark> &marks = p.traces[mid];
        for (size_t i = 0; i < marks.size(); ++i) {
            std::printf("      %8.3f  +%6.3f  %s\n", marks[i].ms - marks.front().ms,
                        i ? marks[i].ms - marks[i - 1].ms : 0.0, qPrintable(marks[i].what));
        }
    }
    if (failures)
        std::printf("  failed rounds: %d (left out of the figures)\n", failures);
    return 0;
}
