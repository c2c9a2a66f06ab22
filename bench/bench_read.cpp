// How much an exchange costs next to the plainest client there is: one Read
// of a 50 KiB page from the demo site on loopback against a blocking POSIX
// socket that sends the same request bytes, measured in the same run. Prints
// figures; never fails on them.
#include "net/clsdata.h"
#include "net/moddata.h"
#include "net/site.h"
#include "text/cp1252.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

double cpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n == 0 ? 0 : (n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2);
}

// Sends the request and reads until the server closes; the bytes received.
qint64 blockingFetch(quint16 port, const QByteArray &request)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0)
        return -1;
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr) != 0) {
        ::close(fd);
        return -1;
    }
    qint64 sent = 0;
    while (sent < request.size()) {
        const ssize_t n = ::send(fd, request.constData() + sent, request.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) {
            ::close(fd);
            return -1;
        }
        sent += n;
    }
    static char buf[65536];
    qint64 total = 0;
    for (;;) {
        const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
        if (n <= 0)
            break;
        total += n;
    }
    ::close(fd);
    return total;
}

// The cookies the benchmark's exchanges send and take.
modData::CookieJar g_jar;

qint64 readFetch(const QString &path)
{
    auto c = clsData::create(&g_jar);
    const QString body = c->Read(path, modData::cookieList(g_jar), QString(), QString());
    c.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return body == QLatin1String("ERROR") ? -1 : body.size();
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(5, atoi(argv[1])) : 50;

    QProcess sim;
    sim.setStandardErrorFile(QProcess::nullDevice());
    sim.start(QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("sandlund-sim")),
              {QStringLiteral("--port"), QStringLiteral("0")});
    if (!sim.waitForStarted(10000) || !sim.waitForReadyRead(10000)) {
        std::fprintf(stderr, "bench_read: cannot start sandlund-sim\n");
        return 1;
    }
    const QByteArray line = sim.readLine().trimmed();
    const quint16 port = static_cast<quint16>(line.mid(13).toUInt());
    if (!line.startsWith("listening on ") || port == 0) {
        std::fprintf(stderr, "bench_read: unexpected first line \"%s\"\n", line.constData());
        return 1;
    }
    modData::configureSite(QStringLiteral("127.0.0.1:") + QString::number(port));

    const int pageBytes = 50 * 1024;
    const QString page = QStringLiteral("/large.asp?bytes=") + QString::number(pageBytes);
    const QByteArray request = cp1252::encode(modData::buildRequest(page, modData::cookieList(g_jar), {}, {}));

    // Warm up both paths (and check they fetch the same page).
    for (int i = 0; i < 3; ++i) {
        if (readFetch(page) != pageBytes || blockingFetch(port, request) <= pageBytes) {
            std::fprintf(stderr, "bench_read: page not fetched\n");
            return 1;
        }
    }

    std::vector<double> readMs, blockMs;
    for (int i = 0; i < runs; ++i) {
        // Interleaved, so drift of the machine hits both alike.
        QElapsedTimer t;
        t.start();
        readFetch(page);
        readMs.push_back(t.nsecsElapsed() / 1e6);
        t.restart();
        blockingFetch(port, request);
        blockMs.push_back(t.nsecsElapsed() / 1e6);
    }
    const double mr = median(readMs), mb = median(blockMs);

    // CPU time per MiB received, on bigger pages so fixed costs fade.
    const int bigBytes = 4 * 1024 * 1024;
    const int bigRuns = 8;
    const QString big = QStringLiteral("/large.asp?bytes=") + QString::number(bigBytes);
    const QByteArray bigRequest = cp1252::encode(modData::buildRequest(big, modData::cookieList(g_jar), {}, {}));
    double c0 = cpuMs();
    for (int i = 0; i < bigRuns; ++i)
        readFetch(big);
    const double readCpuPerMiB = (cpuMs() - c0) / (bigRuns * 4.0);
    c0 = cpuMs();
    for (int i = 0; i < bigRuns; ++i)
        blockingFetch(port, bigRequest);
    const double blockCpuPerMiB = (cpuMs() - c0) / (bigRuns * 4.0);

    sim.terminate();
    sim.waitForFinished(5000);

    std::printf("bench_read: %d runs, one %d-byte page from sandlund-sim on 127.0.0.1\n", runs, pageBytes);
    std::printf("  wall time, median   clsData::Read %8.3f ms   blocking socket %8.3f ms   ratio %.2f\n", mr, mb,
                mb > 0 ? mr / mb : 0.0);
    std::printf("  client CPU per MiB  clsData::Read %8.2f ms   blocking socket %8.2f ms   ratio %.2f"
                "   (%d reads of %d MiB)\n",
                readCpuPerMiB, blockCpuPerMiB, blockCpuPerMiB > 0 ? readCpuPerMiB / blockCpuPerMiB : 0.0, bigRuns,
                bigBytes / (1024 * 1024));
    return 0;
}
