// The RTF reader's cost against the size of its input: time per MiB for
// growing documents, next to a plain code-page decode of the same bytes
// measured in the same run, and the peak memory. Then the help window with
// two hostile documents (6 MB of RTF that changes format about 900,000
// times, 200 MB of plain text): time until the document is shown, the
// longest the event loop went without turning (while loading, and for a
// jump to the document's end), and the peak memory, each case in a
// process of its own. "open" is the turn that creates and shows the
// window; "stall" the longest turn after it until the document is shown.
// Prints figures only.
//
//   bench_rtfreader                  everything
//   bench_rtfreader --window CASE    one window case (run by the above)
#include "help/frmhelp.h"
#include "help/rtfreader.h"
#include "settings/modsettings.h"
#include "text/cp1252.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QTimer>

#include <sys/resource.h>

#include <cstdio>
#include <cstring>

namespace {

QByteArray repeated(const QByteArray &unit, qsizetype bytes)
{
    QByteArray out;
    out.reserve(bytes + unit.size());
    while (out.size() < bytes)
        out += unit;
    return out;
}

long peakRssMiB()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss / 1024;
}

// The peak of this program alone (ru_maxrss also counts what a parent held
// when it started this process).
long ownPeakRssMiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray &line : status.readAll().split('\n')) {
            if (line.startsWith("VmHWM:"))
                return line.mid(6).trimmed().split(' ').value(0).toLong() / 1024;
        }
    }
    return peakRssMiB();
}

template<typename F>
double millis(F f)
{
    QElapsedTimer t;
    t.start();
    f();
    return t.nsecsElapsed() / 1e6;
}

void readerFigures()
{
    const QByteArray unit("{\\b fet}vanlig text med \\'e5\\'e4\\'f6 och \\u8364? {\\i kursiv\\cf1 f\\'e4rg}\\par ");
    std::printf("%-28s %8s %10s %10s %8s %9s\n", "input", "MiB", "parse ms", "decode ms", "ratio", "ms/MiB");
    for (int mib : {1, 10, 50}) {
        const QByteArray data = "{\\rtf1{\\colortbl;\\red0\\green0\\blue128;}" + repeated(unit, qsizetype(mib) << 20) + "}";
        int chars = 0;
        const double parse = millis([&] { chars = int(rtf::parse(data).text.size()); });
        const double decode = millis([&] { chars += int(cp1252::decode(data).size() > 0); });
        std::printf("%-28s %8d %10.1f %10.1f %8.2f %9.1f\n", "formatted text", mib, parse, decode, parse / decode,
                    parse / mib);
    }
    for (int depth : {10000, 100000, 1000000}) {
        const QByteArray data = "{\\rtf1 " + repeated("{\\b ", qsizetype(depth) * 4) + "x" + repeated("}", depth) + "}";
        const double mib = data.size() / double(1 << 20);
        int peak = 0;
        const double parse = millis([&] { peak = rtf::parse(data).peakDepth; });
        const double decode = millis([&] { peak += int(cp1252::decode(data).isEmpty()); });
        const QByteArray label = "nesting " + QByteArray::number(depth) + " deep";
        std::printf("%-28s %8.1f %10.1f %10.1f %8.2f %9.1f\n", label.constData(), mib, parse, decode,
                    parse / decode, parse / mib);
    }
    std::printf("peak resident memory: %ld MiB\n", peakRssMiB());
}

// The documents of the window cases, as the probe that found the freeze
// wrote them.
QByteArray formattingHeavyRtf()
{
    QByteArray out = "{\\rtf1\\ansi ";
    out.reserve(6 << 20);
    for (int i = 0; i < 300000; ++i)
        out += "{\\b a}{\\i b}\\fs" + QByteArray::number(i % 3000) + " c";
    return out + "}";
}

bool writePlain(const QString &path, qsizetype bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const QByteArray block = repeated("Vanlig text utan RTF, rad efter rad.\n", 1 << 20).left(1 << 20);
    for (qsizetype written = 0; written < bytes; written += block.size()) {
        if (f.write(block) != block.size())
            return false;
    }
    return true;
}

// One case in this process: the program folder holds docs/Rot.rtf.
int windowCase(int argc, char **argv, const QString &programFolder, const char *label)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    modSettings::overrideProgramFolder(programFolder);

    // Samples the event loop every 5 ms; a longer gap is a stall.
    QElapsedTimer clock;
    clock.start();
    qint64 lastTick = 0;
    qint64 worst = 0;
    QTimer sampler;
    sampler.setTimerType(Qt::PreciseTimer);
    QObject::connect(&sampler, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        worst = std::max(worst, now - lastTick);
        lastTick = now;
    });
    sampler.start(5);

    // The window opens from the event loop, as F1 does. (A loop of its
    // own: quitting the application would close the window.)
    QEventLoop loop;
    frmHelp *help = nullptr;
    bool signalled = false;
    QElapsedTimer load;
    qint64 shownAt = -1;
    qint64 opening = 0;
    QTimer::singleShot(0, [&] {
        const qint64 before = clock.nsecsElapsed();
        load.start();
        help = new frmHelp;
        // A window that loads in steps says when it is done; one that
        // loads in its constructor is done once the view holds the text.
        if (QObject::connect(help, SIGNAL(loaded()), &loop, SLOT(quit())))
            signalled = true;
        help->show();
        opening = clock.nsecsElapsed() - before;
        // From here on: the stalls while the document loads.
        worst = 0;
        lastTick = clock.nsecsElapsed();
    });
    // Shown: the view holds the document (more than a million characters
    // of the plain file, about 900,000 of the RTF).
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (help && !signalled && help->view()->document()->characterCount() > 800000)
            loop.quit();
    });
    poll.start(1);
    QTimer::singleShot(600000, &loop, &QEventLoop::quit);
    loop.exec();
    poll.stop();
    if (help && help->view()->document()->characterCount() > 800000)
        shownAt = load.nsecsElapsed();
    const qint64 loadStall = worst;

    // Then the member jumps to the end, which lays the whole document out.
    worst = 0;
    lastTick = clock.nsecsElapsed();
    QTimer::singleShot(0, [&] {
        const qint64 before = clock.nsecsElapsed();
        if (help) {
            help->view()->moveCursor(QTextCursor::End);
            help->view()->ensureCursorVisible();
        }
        worst = std::max(worst, clock.nsecsElapsed() - before);
    });
    QTimer::singleShot(1000, &loop, &QEventLoop::quit);
    loop.exec();

    std::printf("%-30s %10.0f %10.1f %12.1f %12.1f %10ld\n", label, shownAt < 0 ? -1.0 : shownAt / 1e6,
                opening / 1e6, loadStall / 1e6, worst / 1e6, ownPeakRssMiB());
    std::fflush(stdout);
    delete help;
    return shownAt < 0 ? 1 : 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 4 && std::strcmp(argv[1], "--window") == 0)
        return windowCase(argc, argv, QString::fromLocal8Bit(argv[2]), argv[3]);

    QCoreApplication app(argc, argv);
    readerFigures();

    QTemporaryDir dir;
    const QString rtfFolder = dir.filePath(QStringLiteral("rtf"));
    const QString plainFolder = dir.filePath(QStringLiteral("plain"));
    const QByteArray rtf = formattingHeavyRtf();
    QDir().mkpath(rtfFolder + QStringLiteral("/docs"));
    QDir().mkpath(plainFolder + QStringLiteral("/docs"));
    QFile f(rtfFolder + QStringLiteral("/docs/Rot.rtf"));
    if (!f.open(QIODevice::WriteOnly) || f.write(rtf) != rtf.size()
        || !writePlain(plainFolder + QStringLiteral("/docs/Rot.rtf"), qsizetype(200) << 20)) {
        std::fprintf(stderr, "cannot write the documents\n");
        return 1;
    }
    f.close();

    std::printf("\nhelp window (each case in its own process)\n");
    std::printf("%-30s %10s %10s %12s %12s %10s\n", "document", "shown ms", "open ms", "stall ms", "to end ms",
                "peak MiB");
    const QString self = QCoreApplication::applicationFilePath();
    int failures = 0;
    const std::pair<QString, QString> cases[] = {
        {rtfFolder, QStringLiteral("6 MB RTF, 900k format changes")},
        {plainFolder, QStringLiteral("200 MB plain text")}};
    for (const auto &[folder, label] : cases) {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedChannels);
        child.start(self, {QStringLiteral("--window"), folder, label});
        if (!child.waitForFinished(-1) || child.exitCode() != 0) {
            std::printf("%-30s did not show the document\n", qPrintable(label));
            ++failures;
        }
    }
    return failures == 0 ? 0 : 1;
}
