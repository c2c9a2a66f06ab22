#include "about/aboutpictures.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace aboutPictures {

QPixmap cardPicture(int width, int height)
{
    QPixmap pixmap(width, height);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    // Drawn on a 120 x 150 grid and scaled to the size asked for.
    p.scale(width / 120.0, height / 150.0);

    QLinearGradient sky(0, 0, 0, 150);
    sky.setColorAt(0, QColor(0x9c, 0xc9, 0xf0));
    sky.setColorAt(1, QColor(0xe8, 0xf2, 0xfb));
    p.setPen(Qt::NoPen);
    p.setBrush(sky);
    p.drawRoundedRect(QRectF(0, 0, 120, 150), 8, 8);

    // The low sun and the heath.
    p.setBrush(QColor(0xff, 0xd8, 0x6b));
    p.drawEllipse(QPointF(88, 38), 13, 13);
    QPainterPath heath;
    heath.moveTo(0, 112);
    heath.cubicTo(30, 98, 70, 122, 120, 104);
    heath.lineTo(120, 142);
    heath.quadTo(120, 150, 112, 150);
    heath.lineTo(8, 150);
    heath.quadTo(0, 150, 0, 142);
    heath.closeSubpath();
    p.setBrush(QColor(0x8e, 0x4f, 0x9c));
    p.drawPath(heath);

    // A pine on the left.
    p.setBrush(QColor(0x6b, 0x45, 0x2a));
    p.drawRect(QRectF(22, 92, 6, 22));
    p.setBrush(QColor(0x2f, 0x6b, 0x3a));
    for (int i = 0; i < 3; ++i) {
        const double top = 44 + i * 16;
        const double half = 11 + i * 4;
        QPolygonF tier;
        tier << QPointF(25, top) << QPointF(25 + half, top + 26) << QPointF(25 - half, top + 26);
        p.drawPolygon(tier);
    }

    // The visiting card, tilted, with a login dot and three text lines.
    p.translate(72, 92);
    p.rotate(-8);
    p.setBrush(QColor(0, 0, 0, 50));
    p.drawRoundedRect(QRectF(-29, -17, 60, 38), 4, 4);
    p.setBrush(Qt::white);
    p.setPen(QPen(QColor(0x1f, 0x5f, 0xa8), 1.5));
    p.drawRoundedRect(QRectF(-31, -20, 60, 38), 4, 4);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x1f, 0x5f, 0xa8));
    p.drawRect(QRectF(-31, -20, 60, 9));
    p.setBrush(QColor(0x3c, 0xb3, 0x4a));
    p.drawEllipse(QPointF(21, -1), 4, 4);
    p.setBrush(QColor(0x88, 0x88, 0x88));
    for (int i = 0; i < 3; ++i)
        p.drawRect(QRectF(-25, -5 + i * 6, 34 - i * 8, 2.5));
    return pixmap;
}

QCursor handCursor()
{
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);

    // Index finger up, three fingers folded, thumb to the left.
    QPainterPath hand;
    hand.moveTo(10, 2);
    hand.cubicTo(10, 0, 14, 0, 14, 2);
    hand.lineTo(14, 13);
    hand.cubicTo(14, 11, 18, 11, 18, 13);
    hand.cubicTo(18, 11, 22, 11, 22, 14);
    hand.cubicTo(22, 12, 26, 12, 26, 15);
    hand.lineTo(26, 23);
    hand.cubicTo(26, 27, 23, 30, 19, 30);
    hand.lineTo(14, 30);
    hand.cubicTo(11, 30, 9, 28, 7, 25);
    hand.lineTo(3, 18);
    hand.cubicTo(2, 16, 5, 14, 7, 16);
    hand.lineTo(10, 19);
    hand.closeSubpath();
    p.setPen(QPen(Qt::black, 1.5));
    p.setBrush(Qt::white);
    p.drawPath(hand);
    p.setPen(QPen(Qt::black, 1));
    p.drawLine(QPointF(18, 14), QPointF(18, 20));
    p.drawLine(QPointF(22, 15), QPointF(22, 21));
    p.end();
    return QCursor(pixmap, 12, 1);
}

} // namespace aboutPictures
