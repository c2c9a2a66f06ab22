#include "ljungbo/componentregistry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>

namespace comp {

namespace {

const QString kProgIdKey = QStringLiteral("ProgID");
const QString kClsidKey = QStringLiteral("CLSID");
const QString kLibraryKey = QStringLiteral("Library");
// Records are a handful of short lines; anything bigger is not ours.
constexpr qint64 kMaxRecordSize = 64 * 1024;

QString recordPath(const QString &progId)
{
    return registryDir() + QLatin1Char('/') + progId;
}

void setError(QString *error, const QString &text)
{
    if (error)
        *error = text;
}

} // namespace

QString registryDir()
{
    QString base = qEnvironmentVariable("XDG_DATA_HOME");
    if (base.isEmpty() || QDir::isRelativePath(base))
        base = qEnvironmentVariable("HOME") + QStringLiteral("/.local/share");
    return base + QStringLiteral("/kortvik/components");
}

bool isValidProgId(const QString &progId)
{
    static const QRegularExpression pattern(QStringLiteral("^[A-Za-z][A-Za-z0-9_.]{0,38}$"));
    return pattern.match(progId).hasMatch();
}

QString guidToString(const Guid &g)
{
    return QString::asprintf("{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", g.data1,
                             g.data2, g.data3, g.data4[0], g.data4[1], g.data4[2], g.data4[3],
                             g.data4[4], g.data4[5], g.data4[6], g.data4[7]);
}

std::optional<Guid> parseGuid(const QString &text)
{
    static const QRegularExpression pattern(QStringLiteral(
        "^\\{([0-9A-Fa-f]{8})-([0-9A-Fa-f]{4})-([0-9A-Fa-f]{4})-([0-9A-Fa-f]{4})-([0-9A-Fa-f]{12})\\}$"));
    const QRegularExpressionMatch m = pattern.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    Guid g{};
    g.data1 = m.captured(1).toUInt(nullptr, 16);
    g.data2 = static_cast<std::uint16_t>(m.captured(2).toUInt(nullptr, 16));
    g.data3 = static_cast<std::uint16_t>(m.captured(3).toUInt(nullptr, 16));
    const QString tail = m.captured(4) + m.captured(5);
    for (int i = 0; i < 8; ++i)
        g.data4[i] = static_cast<std::uint8_t>(tail.mid(i * 2, 2).toUInt(nullptr, 16));
    return g;
}

bool writeRecord(const ComponentRecord &record, QString *error)
{
    if (!isValidProgId(record.progId)) {
        setError(error, QStringLiteral("invalid program identifier"));
        return false;
    }
    if (record.library.isEmpty() || QDir::isRelativePath(record.library)
        || record.library.contains(QLatin1Char('\n'))) {
        setError(error, QStringLiteral("library path must be absolute"));
        return false;
    }
    if (!QDir().mkpath(registryDir())) {
        setError(error, QStringLiteral("cannot create ") + registryDir());
        return false;
    }
    QSaveFile file(recordPath(record.progId));
    if (!file.open(QIODevice::WriteOnly)) {
        setError(error, file.errorString());
        return false;
    }
    const QString text = kProgIdKey + QLatin1Char('=') + record.progId + QLatin1Char('\n')
                         + kClsidKey + QLatin1Char('=') + guidToString(record.clsid)
                         + QLatin1Char('\n') + kLibraryKey + QLatin1Char('=') + record.library
                         + QLatin1Char('\n');
    file.write(text.toUtf8());
    if (!file.commit()) {
        setError(error, file.errorString());
        return false;
    }
    return true;
}

bool removeRecord(const QString &progId, QString *error)
{
    if (!isValidProgId(progId)) {
        setError(error, QStringLiteral("invalid program identifier"));
        return false;
    }
    QFile file(recordPath(progId));
    if (!file.exists() || file.remove())
        return true;
    setError(error, file.errorString());
    return false;
}

std::optional<ComponentRecord> readRecord(const QString &progId)
{
    if (!isValidProgId(progId))
        return std::nullopt;
    QFile file(recordPath(progId));
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxRecordSize)
        return std::nullopt;
    ComponentRecord record;
    bool haveClsid = false;
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    for (const QString &line : lines) {
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq <= 0)
            continue;
        const QString key = line.left(eq);
        const QString value = line.mid(eq + 1);
        if (key == kProgIdKey) {
            record.progId = value;
        } else if (key == kClsidKey) {
            if (const std::optional<Guid> g = parseGuid(value)) {
                record.clsid = *g;
                haveClsid = true;
            }
        } else if (key == kLibraryKey) {
            record.library = value;
        }
    }
    // The file name is the key; a record naming another identifier is stale.
    if (record.progId != progId || !haveClsid || record.library.isEmpty()
        || QDir::isRelativePath(record.library))
        return std::nullopt;
    return record;
}

QStringList registeredProgIds()
{
    QStringList ids;
    const QDir dir(registryDir());
    const QStringList names = dir.entryList(QDir::Files | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString &name : names) {
        if (isValidProgId(name) && readRecord(name))
            ids << name;
    }
    return ids;
}

} // namespace comp
