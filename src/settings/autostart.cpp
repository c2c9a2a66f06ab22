#include "settings/autostart.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include <algorithm>

namespace autostart {

namespace {

// An argument with any of these must be quoted in an Exec line.
const QString kReserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");

QString quotedArgument(const QString &arg)
{
    QString out = arg;
    out.replace(QLatin1Char('%'), QStringLiteral("%%"));
    if (!arg.isEmpty() && std::none_of(arg.begin(), arg.end(), [](QChar c) { return kReserved.contains(c); }))
        return out;
    QString quoted;
    for (QChar c : std::as_const(out)) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\'))
            quoted += QLatin1Char('\\');
        quoted += c;
    }
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

} // namespace

QString entryPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
           + QStringLiteral("/autostart/org.kortvik.Kortvik.desktop");
}

bool isOn()
{
    return QFileInfo(entryPath()).isFile();
}

QString execLine(const QStringList &command)
{
    QStringList args;
    for (const QString &arg : command)
        args << quotedArgument(arg);
    // The line is itself a string value: its backslashes are escaped once more.
    return args.join(QLatin1Char(' ')).replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
}

QByteArray entryText(const QStringList &command)
{
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Version=1.4\n"
                          "Name=Kortvik\n"
                          "Comment=Logga in på Sandlund när du loggar in på datorn\n"
                          "Exec=%1\n"
                          "Icon=org.kortvik.Kortvik\n"
                          "Terminal=false\n"
                          "NoDisplay=true\n"
                          "X-GNOME-Autostart-enabled=true\n")
        .arg(execLine(command))
        .toUtf8();
}

bool turnOn(const QStringList &command, QString *why)
{
    const QString path = entryPath();
    const QString folder = QFileInfo(path).absolutePath();
    QSaveFile file(path);
    if (!QDir().mkpath(folder) || !file.open(QIODevice::WriteOnly) || file.write(entryText(command)) < 0
        || !file.commit()) {
        if (why)
            *why = QStringLiteral("Kortvik kan inte starta med datorn: mappen %1 går inte att skriva i.")
                       .arg(QDir::toNativeSeparators(folder));
        return false;
    }
    return true;
}

bool turnOff(QString *why)
{
    const QString path = entryPath();
    if (!QFileInfo::exists(path) || QFile::remove(path))
        return true;
    if (why)
        *why = QStringLiteral("Filen %1 går inte att ta bort.").arg(QDir::toNativeSeparators(path));
    return false;
}

} // namespace autostart
