// Memory at idle: kortvik started on a private bus with no Config.ini (so it
// sends nothing and waits), next to the bare-window baseline (barewindow: a
// main window with a menu bar, a status bar and a bus name) on the same bus,
// both offscreen. RSS and its private share from /proc after both have idled.
//
//   bench_idlerss [BIN_DIR...]
//
// Each BIN_DIR is a build's bin folder; the baseline is measured once per
// program, right after it, so both see the same machine. Prints figures;
// never fails on them.
#include "kortvikonbus.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTest>

#include <cstdio>

namespace {

// A /proc/PID/status or smaps_rollup field in MiB.
double fieldMiB(qint64 pid, const char *file, const char *field)
{
    QFile f(QStringLiteral("/proc/%1/%2").arg(pid).arg(QLatin1String(file)));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : f.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ').value(0).toDouble() / 1024.0;
    }
    return -1;
}

struct Memory {
    double rss = -1;
    double privateDirty = -1;
};

Memory memoryOf(qint64 pid)
{
    Memory m;
    m.rss = fieldMiB(pid, "status", "VmRSS:");
    m.privateDirty = fieldMiB(pid, "smaps_rollup", "Private_Dirty:");
    return m;
}

constexpr int kIdleMs = 4000;

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QStringList dirs;
    for (int i = 1; i < argc; ++i)
        dirs << QString::fromLocal8Bit(argv[i]);
    if (dirs.isEmpty())
        dirs << QCoreApplication::applicationDirPath();

    std::printf("bench_idlerss: after %d ms idle, offscreen, on a private bus\n", kIdleMs);
    for (const QString &dir : dirs) {
        qputenv("KORTVIK_BIN_DIR", dir.toLocal8Bit());
        KortvikOnBus k;
        KortvikOnBus::Options options;
        options.site = false;
        QString why;
        if (!k.start(&why, options) || !k.waitForMainWindow(k.program)) {
            std::fprintf(stderr, "bench_idlerss: %s: %s\n", qPrintable(dir), qPrintable(why));
            return 1;
        }
        QTest::qWait(kIdleMs);
        const Memory program = memoryOf(k.program->processId());

        QProcess bare;
        QProcessEnvironment env = k.sandbox.environment();
        bare.setProcessEnvironment(env);
        bare.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        bare.start(QCoreApplication::applicationDirPath() + QStringLiteral("/barewindow"), {});
        if (!bare.waitForStarted(10000)) {
            std::fprintf(stderr, "bench_idlerss: barewindow did not start\n");
            return 1;
        }
        QTest::qWait(kIdleMs);
        const Memory base = memoryOf(bare.processId());
        bare.kill();
        bare.waitForFinished(5000);

        std::printf("  %s\n", qPrintable(dir));
        std::printf("    kortvik:    RSS %6.1f MiB, private dirty %6.1f MiB\n", program.rss, program.privateDirty);
        std::printf("    barewindow: RSS %6.1f MiB, private dirty %6.1f MiB\n", base.rss, base.privateDirty);
        std::printf("    ratio:      RSS %.2f x, private dirty %.2f x\n", program.rss / base.rss,
                    program.privateDirty / base.privateDirty);
    }
    return 0;
}
