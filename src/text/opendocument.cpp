#include "text/opendocument.h"

#include <QDesktopServices>
#include <QDir>
#include <QUrl>

namespace modWebFunctions {

void openDocument(QWidget *owner, const QString &target, const QString &folder)
{
    // The desktop picks the handler and its window; nothing here needs the owner.
    Q_UNUSED(owner);
    const QString t = target.trimmed();
    if (t.isEmpty())
        return;
    // A scheme of two letters or more ("http:", "mailto:") makes an address;
    // anything else is a file, relative to the working folder.
    QUrl url(t);
    if (!url.isValid() || url.scheme().size() < 2) {
        const QString base = folder.isEmpty() ? QDir::currentPath() : folder;
        url = QUrl::fromLocalFile(QDir(base).absoluteFilePath(t));
    }
    // The outcome is not the caller's concern.
    QDesktopServices::openUrl(url);
}

} // namespace modWebFunctions
