#include "help/docsfolder.h"

#include "settings/modsettings.h"

#include <QDir>
#include <QFileInfo>

namespace modGlobal {

namespace {

// base: the program's folder after the "/source/" rule, ending in "/".
QString docsFolderIn(const QString &base)
{
    const QString beside = QDir::cleanPath(base + QStringLiteral("docs"));
    if (QFileInfo(beside).isDir())
        return beside;
    const QString installed = QDir::cleanPath(base + QStringLiteral("../share/kortvik/docs"));
    if (QFileInfo(installed).isDir())
        return installed;
    return beside;
}

} // namespace

QString docsFolderFor(const QString &programFolder)
{
    return docsFolderIn(modSettings::appFilePathIn(programFolder, QString()));
}

QString docsFolder()
{
    return docsFolderIn(modSettings::appFilePath(QString()));
}

QString helpDocPath(const QString &name)
{
    const QString path = docsFolder() + QLatin1Char('/') + name;
    return QFileInfo(path).isFile() ? path : QString();
}

QString helpDocument(const QString &path)
{
    const QString file = helpDocPath(path + QStringLiteral(".rtf"));
    if (!file.isEmpty())
        return file;
    return helpDocPath(path + QStringLiteral("/default.rtf"));
}

} // namespace modGlobal
