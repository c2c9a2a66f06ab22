#include "help/docsfolder.h"

#include "settings/modsettings.h"

#include <QDir>
#include <QFileInfo>

namespace modGlobal {

QString docsFolderFor(const QString &programFolder)
{
    const QString installed = modSettings::installedDataFolderIn(programFolder);
    if (!installed.isEmpty())
        return installed + QStringLiteral("/docs");
    return QDir::cleanPath(modSettings::appFilePathIn(programFolder, QStringLiteral("docs")));
}

QString docsFolder()
{
    return docsFolderFor(modSettings::programFolder());
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
