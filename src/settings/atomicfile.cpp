#include "settings/atomicfile.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace atomicfile {
namespace {

QByteArray nativePath(const QString &path)
{
    return QFile::encodeName(path);
}

// Hidden, unique name beside the target so that rename() stays on one file system.
QByteArray temporaryNameFor(const QString &target)
{
    const QFileInfo info(target);
    const QString name = QStringLiteral("%1/.%2.tmp-%3-%4")
                             .arg(info.absolutePath(), info.fileName())
                             .arg(::getpid())
                             .arg(QRandomGenerator::global()->generate64(), 16, 16, QChar(u'0'));
    return nativePath(name);
}

bool writeAll(int fd, const QByteArray &data)
{
    const char *p = data.constData();
    qsizetype left = data.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, static_cast<size_t>(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        p += n;
        left -= n;
    }
    return true;
}

// Opens a fresh temporary file with the given creation mode; -1 on failure.
int openTemporary(const QString &target, unsigned createMode, QByteArray *tempName)
{
    for (int attempt = 0; attempt < 8; ++attempt) {
        *tempName = temporaryNameFor(target);
        const int fd = ::open(tempName->constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                              static_cast<mode_t>(createMode));
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

// Writes data, fixes the mode (if asked) and flushes; closes fd in every case.
bool fillAndClose(int fd, const QByteArray &data, int exactMode)
{
    bool ok = true;
    if (exactMode >= 0 && ::fchmod(fd, static_cast<mode_t>(exactMode)) != 0)
        ok = false;
    if (ok && !writeAll(fd, data))
        ok = false;
    if (ok && ::fsync(fd) != 0)
        ok = false;
    if (::close(fd) != 0)
        ok = false;
    return ok;
}

// Best effort: makes the new directory entry itself durable.
void syncFolderOf(const QString &path)
{
    const int dfd = ::open(nativePath(QFileInfo(path).absolutePath()).constData(),
                           O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
}

QString resolveLink(const QString &path)
{
    const QFileInfo info(path);
    if (!info.isSymLink())
        return path;
    const QString target = info.symLinkTarget();
    return target.isEmpty() ? path : target;
}

} // namespace

bool replaceFile(const QString &path, const QByteArray &data, ReplaceModes modes)
{
    const QString target = resolveLink(path);
    const QByteArray targetName = nativePath(target);

    struct stat st {};
    int exactMode = -1;
    if (::stat(targetName.constData(), &st) == 0) {
        // A file its owner made read-only stays as it is, although the
        // folder would allow replacing it.
        if (!S_ISREG(st.st_mode) || ::access(targetName.constData(), W_OK) != 0)
            return false;
        exactMode = static_cast<int>(st.st_mode & 07777 & ~modes.dropBits);
    }

    QByteArray tempName;
    // A new file starts private; the mode of the file it replaces is set
    // before any data goes in, a brand-new file gets its mode less the umask.
    const int fd = openTemporary(target, exactMode >= 0 ? 0600 : (modes.newFileMode & 0777), &tempName);
    if (fd < 0)
        return false;
    if (exactMode >= 0 && (st.st_uid != ::geteuid() || st.st_gid != ::getegid())) {
        // Keep the owner when an administrator edits a user's file; where
        // that is not allowed the file simply becomes the writer's.
        [[maybe_unused]] const int ignored = ::fchown(fd, st.st_uid, st.st_gid);
    }
    if (!fillAndClose(fd, data, exactMode)
        || ::rename(tempName.constData(), targetName.constData()) != 0) {
        ::unlink(tempName.constData());
        return false;
    }
    syncFolderOf(target);
    return true;
}

CreateResult createFile(const QString &path, const QByteArray &data, unsigned mode)
{
    const QByteArray targetName = nativePath(path);
    QByteArray tempName;
    // Created as 0600 at most, so the umask can only narrow it; the exact
    // mode is set on the still-private temporary file.
    const int fd = openTemporary(path, mode & 0600, &tempName);
    if (fd < 0)
        return CreateResult::Failed;
    if (!fillAndClose(fd, data, static_cast<int>(mode & 07777))) {
        ::unlink(tempName.constData());
        return CreateResult::Failed;
    }
    // link() publishes the complete file under its name and refuses to
    // replace one that another process made meanwhile.
    CreateResult result = CreateResult::Created;
    if (::link(tempName.constData(), targetName.constData()) != 0) {
        if (errno == EEXIST) {
            result = CreateResult::AlreadyExists;
        } else if (::access(targetName.constData(), F_OK) == 0) {
            result = CreateResult::AlreadyExists;
        } else if (::rename(tempName.constData(), targetName.constData()) != 0) {
            // No hard links on this file system: rename is the fallback.
            result = CreateResult::Failed;
        }
    }
    ::unlink(tempName.constData());
    if (result == CreateResult::Created)
        syncFolderOf(path);
    return result;
}

} // namespace atomicfile
