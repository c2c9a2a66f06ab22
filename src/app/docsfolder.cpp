#include "app/docsfolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace modGlobal {

QString docsFolderFor(const QString &programFolder)
{
    const QDir program(programFolder);
    const QString beside = QDir::cleanPath(program.filePath(QStringLiteral("docs")));
    if (QFileInfo(beside).isDir())
        return beside;
    const QString installed =
        QDir::cleanPath(program.filePath(QStringLiteral("../share/kortvik/docs")));
    if (QFileInfo(installed).isDir())
        return installed;
    return beside;
}

QString docsFolder()
{
    return docsFolderFor(QCoreApplication::applicationDirPath());
}

} // namespace modGlobal
