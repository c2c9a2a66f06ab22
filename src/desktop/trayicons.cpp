#include "desktop/trayicons.h"

#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

namespace {

QString resourceOf(TrayState::Icon state)
{
    switch (state) {
    case TrayState::Icon::LoggedOut:
        return QStringLiteral(":/tray/tray-loggedout.svg");
    case TrayState::Icon::LoggingIn:
        return QStringLiteral(":/tray/tray-loggingin.svg");
    case TrayState::Icon::LoggedIn:
        break;
    }
    return QStringLiteral(":/tray/tray-loggedin.svg");
}

void render(QPainter &p, const QString &resource, int size)
{
    QSvgRenderer svg(resource);
    svg.render(&p, QRectF(0, 0, size, size));
}

} // namespace

QIcon trayIcon(TrayState::Icon state, bool newMark)
{
    // Resources linked into a static library need an explicit init.
    static const bool registered = [] {
        Q_INIT_RESOURCE(trayicons);
        return true;
    }();
    Q_UNUSED(registered);

    QIcon icon;
    for (int size : {16, 22, 24, 32, 48, 64}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        render(p, resourceOf(state), size);
        if (newMark)
            render(p, QStringLiteral(":/tray/tray-new.svg"), size);
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}
