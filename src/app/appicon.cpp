#include "app/appicon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

// A blue card with a white "K" and a green login dot; drawn on a 64-unit grid.
QPixmap drawIcon(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 64.0, size / 64.0);

    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x1f, 0x5f, 0xa8));
    p.drawRoundedRect(QRectF(4, 10, 56, 44), 7, 7);

    QPainterPath k;
    k.moveTo(17, 18);
    k.lineTo(24, 18);
    k.lineTo(24, 29);
    k.lineTo(34, 18);
    k.lineTo(43, 18);
    k.lineTo(31, 31);
    k.lineTo(44, 46);
    k.lineTo(35, 46);
    k.lineTo(24, 33);
    k.lineTo(24, 46);
    k.lineTo(17, 46);
    k.closeSubpath();
    p.setBrush(Qt::white);
    p.drawPath(k);

    p.setBrush(QColor(0x3c, 0xb3, 0x4a));
    p.drawEllipse(QPointF(50, 22), 5, 5);
    return pixmap;
}

} // namespace

QIcon kortvikIcon()
{
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128})
        icon.addPixmap(drawIcon(size));
    return icon;
}
