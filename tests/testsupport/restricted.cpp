#include "restricted.h"

#include <QByteArray>
#include <QFile>

#include <cerrno>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace restricted {

namespace {
constexpr uid_t kNobody = 65534;

bool writeAll(int fd, const QByteArray &data)
{
    qsizetype done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.constData() + done, static_cast<size_t>(data.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}
} // namespace

QString run(const std::function<QString()> &body)
{
    if (::geteuid() != 0)
        return body();

    int fds[2];
    if (::pipe(fds) != 0)
        return QStringLiteral("pipe failed");
    const pid_t pid = ::fork();
    if (pid < 0)
        return QStringLiteral("fork failed");
    if (pid == 0) {
        ::close(fds[0]);
        QString result;
        if (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)
            result = QStringLiteral("could not drop to the nobody user");
        else
            result = body();
        // "ok:" marks a completed body, so a crash is not taken for success.
        writeAll(fds[1], "ok:" + result.toUtf8());
        ::_exit(0);
    }
    ::close(fds[1]);
    QByteArray out;
    char buffer[512];
    for (;;) {
        const ssize_t n = ::read(fds[0], buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        out.append(buffer, n);
    }
    ::close(fds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || !out.startsWith("ok:"))
        return QStringLiteral("restricted child failed (status %1)").arg(status);
    return QString::fromUtf8(out.mid(3));
}

void openUp(const QString &path)
{
    if (::geteuid() != 0)
        return;
    struct stat st {};
    const QByteArray name = QFile::encodeName(path);
    if (::stat(name.constData(), &st) == 0)
        ::chmod(name.constData(), S_ISDIR(st.st_mode) ? 0777 : 0666);
}

int modeOf(const QString &path)
{
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return -1;
    return static_cast<int>(st.st_mode & 07777);
}

} // namespace restricted
