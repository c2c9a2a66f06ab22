#include "settings/modsettings.h"

#include "settings/atomicfile.h"
#include "settings/inifile.h"
#include "text/cp1252.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace modSettings {
namespace {

const QString kSettingsFileName = QStringLiteral("Config.ini");
const QString kHexPrefix = QStringLiteral("hex:");

// The file holds the stored password: it is nobody else's to read.
constexpr unsigned kFileMode = 0600;
constexpr unsigned kFolderMode = 0700;

// Set by tests and tools; empty means the running executable's folder.
QString g_programFolder;

QString executableFolder()
{
    if (!g_programFolder.isEmpty())
        return g_programFolder;
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
    const QString exe = QFile::symLinkTarget(QStringLiteral("/proc/self/exe"));
    return exe.isEmpty() ? QDir::currentPath() : QFileInfo(exe).absolutePath();
}

bool canWrite(const QString &path)
{
    return ::access(QFile::encodeName(path).constData(), W_OK) == 0;
}

// Absent, or a file (or a link to one) that this user may write. Anything
// else there (a folder, a dangling link) could never hold the settings.
bool absentOrWritableFile(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return true;
    return info.isFile() && canWrite(path);
}

// The folder (with a trailing "/") that holds the settings files in force.
// The program's folder when the program is not installed and this user may
// write it (and the file, if it is there), otherwise the per-user
// configuration folder. Root may write /usr/bin: permissions alone would not
// keep an installed program's settings out of it.
QString settingsFolder()
{
    const QString programFolder = appFilePath(QString());
    const QString file = programFolder + kSettingsFileName;
    if (installedDataFolderIn(executableFolder()).isEmpty() && canWrite(programFolder)
        && absentOrWritableFile(file))
        return programFolder;
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
           + QStringLiteral("/kortvik/");
}

// Creates folder and the missing folders above it, each private to this user.
bool makePrivateFolders(const QString &folder)
{
    const QFileInfo info(folder);
    if (info.isDir())
        return true;
    const QString parent = info.absolutePath();
    if (parent == info.absoluteFilePath() || !makePrivateFolders(parent))
        return false;
    if (::mkdir(QFile::encodeName(info.absoluteFilePath()).constData(), kFolderMode) == 0)
        return true;
    return errno == EEXIST && QFileInfo(folder).isDir();
}

// Makes sure the file exists; false when it neither exists nor can be made.
bool ensureFile(const QString &path)
{
    const QFileInfo info(path);
    if (info.exists())
        return info.isFile();
    if (!makePrivateFolders(info.absolutePath()))
        return false;
    // Never replaces a file that another writer has just created.
    if (atomicfile::createFile(path, QByteArray(), kFileMode) == atomicfile::CreateResult::Created)
        return true;
    return QFileInfo(path).isFile();
}

// Writing the stored password makes a file that others could read private.
bool holdsPassword(const QString &section, const QString &key)
{
    return section.compare(QLatin1String("autologin"), Qt::CaseInsensitive) == 0
           && key.compare(QLatin1String("lastlogin"), Qt::CaseInsensitive) == 0;
}

bool needsHex(const QString &raw)
{
    if (raw.isEmpty())
        return false;
    if (raw.startsWith(kHexPrefix))
        return true;
    auto edge = [](QChar c) { return c == u' ' || c == u'\t' || c == u'"'; };
    if (edge(raw.front()) || edge(raw.back()))
        return true;
    for (QChar c : raw) {
        if (c == u'\0' || c == u'\r' || c == u'\n')
            return true;
    }
    return false;
}

} // namespace

QString appFilePathIn(const QString &programFolder, const QString &fileName)
{
    QString path = programFolder;
    if (!path.endsWith(u'/'))
        path += u'/';
    const qsizetype at = path.indexOf(QStringLiteral("/source/"), 0, Qt::CaseSensitive);
    if (at >= 0)
        path.replace(at, 8, QStringLiteral("/"));
    return path + fileName;
}

QString installedDataFolderIn(const QString &programFolder)
{
    const QString base = appFilePathIn(programFolder, QString());
    if (QFileInfo(base + QStringLiteral("docs")).isDir())
        return QString();
    const QString shared = QDir::cleanPath(base + QStringLiteral("../share/kortvik"));
    return QFileInfo(shared + QStringLiteral("/docs")).isDir() ? shared : QString();
}

QString programFolder()
{
    return executableFolder();
}

void overrideProgramFolder(const QString &folder)
{
    g_programFolder = folder;
}

QString appFilePath(const QString &fileName)
{
    return appFilePathIn(executableFolder(), fileName);
}

QString settingsFilePath()
{
    return settingsFolder() + kSettingsFileName;
}

void ensureSettingsFile(const QString &fileName)
{
    ensureFile(settingsFolder() + fileName);
}

std::optional<QString> tryReadSetting(const QString &section, const QString &key,
                                      const QString &defaultValue)
{
    const QString path = settingsFilePath();
    if (!ensureFile(path))
        return std::nullopt;
    const auto ini = IniFile::load(path);
    if (!ini)
        return std::nullopt;
    return ini->value(section, key).value_or(defaultValue);
}

QString readSetting(const QString &section, const QString &key, const QString &defaultValue)
{
    return tryReadSetting(section, key, defaultValue).value_or(defaultValue);
}

void writeSetting(const QString &section, const QString &key, const QString &value)
{
    const QString path = settingsFilePath();
    if (!ensureFile(path))
        return;
    auto ini = IniFile::load(path);
    // An unreadable file is left alone rather than replaced by one key.
    if (!ini)
        return;
    ini->setValue(section, key, value);
    atomicfile::ReplaceModes modes;
    modes.newFileMode = kFileMode;
    if (holdsPassword(section, key))
        modes.dropBits = 0077;
    atomicfile::replaceFile(path, ini->toBytes(), modes);
}

QString encodeStoredValue(const QString &raw)
{
    if (!needsHex(raw))
        return raw;
    return kHexPrefix + QString::fromLatin1(cp1252::encode(raw).toHex());
}

QString decodeStoredValue(const QString &stored)
{
    if (!stored.startsWith(kHexPrefix))
        return stored;
    const QStringView digits = QStringView(stored).mid(kHexPrefix.size());
    if (digits.isEmpty() || digits.size() % 2 != 0)
        return stored;
    for (QChar c : digits) {
        const char16_t u = c.unicode();
        const bool hex = (u >= u'0' && u <= u'9') || (u >= u'a' && u <= u'f')
                         || (u >= u'A' && u <= u'F');
        if (!hex)
            return stored;
    }
    return cp1252::decode(QByteArray::fromHex(digits.toLatin1()));
}

} // namespace modSettings
