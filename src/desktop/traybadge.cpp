#include "desktop/traybadge.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>

void paintTrayBadge(QPainter &p, int size, const QString &text)
{
    if (text.isEmpty() || size <= 0)
        return;
    // At 16 pixels: a pill 10 high, figures 7 high, a 1-pixel white rim.
    const qreal height = size * 0.625;
    const qreal rim = std::max<qreal>(1.0, size / 16.0);
    const qreal figureHeight = height - 2 * rim - size / 16.0;

    QFont font(QStringLiteral("DejaVu Sans"));
    font.setBold(true);
    font.setPixelSize(100);
    QPainterPath figures;
    // A trailing "+" is raised and smaller, so "99+" needs little more
    // room than "99".
    const bool more = text.endsWith(u'+');
    const QString digits = more ? text.chopped(1) : text;
    figures.addText(0, 0, font, digits);
    if (more) {
        QFont small = font;
        small.setPixelSize(70);
        figures.addText(figures.boundingRect().right() + 4, -30, small, QStringLiteral("+"));
    }
    const QRectF box = figures.boundingRect();
    if (box.isEmpty())
        return;
    // Scaled from the figures' own outline, whatever the font's metrics.
    const qreal scaleY = figureHeight / box.height();
    const qreal maxWidth = size - 2 * rim - height * 0.2;
    const qreal scaleX = std::min(scaleY, maxWidth / box.width());
    const qreal width = std::clamp(box.width() * scaleX + height * 0.45, height, qreal(size));

    const QRectF pill(size - width, size - height, width, height);
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::white, rim));
    p.setBrush(QColor(0xd7, 0x26, 0x2e));
    p.drawRoundedRect(pill.adjusted(rim / 2, rim / 2, -rim / 2, -rim / 2), height / 2, height / 2);
    p.translate(pill.center());
    p.scale(scaleX, scaleY);
    p.translate(-box.center());
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawPath(figures);
    p.restore();
}
