#include "desktop/trayicons.h"

#include "desktop/traybadge.h"

#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

namespace {

// Each picture by its installed icon name (hicolor/scalable/status/) and
// by the resource the program carries for when no theme has it.
struct Picture {
    QString themeName;
    QString resource;
};

Picture pictureOf(TrayState::Icon state)
{
    switch (state) {
    case TrayState::Icon::LoggedOut:
        return {QStringLiteral("org.kortvik.Kortvik-tray-loggedout"), QStringLiteral(":/tray/tray-loggedout.svg")};
    case TrayState::Icon::LoggingIn:
        return {QStringLiteral("org.kortvik.Kortvik-tray-loggingin"), QStringLiteral(":/tray/tray-loggingin.svg")};
    case TrayState::Icon::LoggedIn:
        break;
    }
    return {QStringLiteral("org.kortvik.Kortvik-tray-loggedin"), QStringLiteral(":/tray/tray-loggedin.svg")};
}

Picture newMarkPicture()
{
    return {QStringLiteral("org.kortvik.Kortvik-tray-new"), QStringLiteral(":/tray/tray-new.svg")};
}

// The icon theme first, so that a theme may draw the tray its own way.
void render(QPainter &p, const Picture &picture, int size)
{
    const QIcon themed = QIcon::fromTheme(picture.themeName);
    if (!themed.isNull()) {
        p.drawPixmap(0, 0, themed.pixmap(size, size));
        return;
    }
    QSvgRenderer svg(picture.resource);
    svg.render(&p, QRectF(0, 0, size, size));
}

} // namespace

QIcon trayIcon(TrayState::Icon state, bool newMark, const QString &badge)
{
    // Resources linked into a static library need an explicit init.
    static const bool registered = [] {
        Q_INIT_RESOURCE(trayicons);
        return true;
    }();
    Q_UNUSED(registered);

    QIcon icon;
    // 32, 44 and 48 are also the tray's sizes at a device pixel ratio of 2.
    for (int size : {16, 22, 24, 32, 44, 48, 64}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        render(p, pictureOf(state), size);
        if (!badge.isEmpty())
            paintTrayBadge(p, size, badge);
        else if (newMark)
            render(p, newMarkPicture(), size);
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}
