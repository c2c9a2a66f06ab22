#include "imailplacement.h"

#include "settings/modsettings.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace imailPlacement {

namespace {

std::optional<int> number(const QString &text)
{
    bool ok = false;
    const int v = text.trimmed().toInt(&ok);
    return ok ? std::optional<int>(v) : std::nullopt;
}

const QString kLeft = QStringLiteral("Left");
const QString kTop = QStringLiteral("Top");
const QString kWidth = QStringLiteral("Width");
const QString kHeight = QStringLiteral("Height");

} // namespace

std::optional<QRect> usable(const QString &left, const QString &top, const QString &width, const QString &height,
                            const QList<QRect> &screens)
{
    const auto x = number(left), y = number(top), w = number(width), h = number(height);
    if (!x || !y || !w || !h || *w < 200 || *h < 120 || *w > 20000 || *h > 20000)
        return std::nullopt;
    const QRect rect(*x, *y, *w, *h);
    // The top strip must be reachable, or the window could not be moved back.
    const QRect grip(rect.left(), rect.top(), rect.width(), 30);
    for (const QRect &screen : screens) {
        const QRect seen = screen.intersected(grip);
        if (seen.width() >= 60 && seen.height() >= 20)
            return rect;
    }
    return std::nullopt;
}

void restore(QWidget *window)
{
    const QString section = QString::fromLatin1(kSection);
    QList<QRect> screens;
    for (const QScreen *s : QGuiApplication::screens())
        screens.append(s->availableGeometry());
    const auto rect = usable(modSettings::readSetting(section, kLeft, QString()),
                             modSettings::readSetting(section, kTop, QString()),
                             modSettings::readSetting(section, kWidth, QString()),
                             modSettings::readSetting(section, kHeight, QString()), screens);
    if (rect) {
        window->resize(rect->size());
        window->move(rect->topLeft());
    } else if (const QScreen *primary = QGuiApplication::primaryScreen()) {
        QRect r(QPoint(), window->size());
        r.moveCenter(primary->availableGeometry().center());
        window->move(r.topLeft());
    }
}

void save(const QWidget *window)
{
    const QString section = QString::fromLatin1(kSection);
    modSettings::writeSetting(section, kLeft, QString::number(window->x()));
    modSettings::writeSetting(section, kTop, QString::number(window->y()));
    modSettings::writeSetting(section, kWidth, QString::number(window->width()));
    modSettings::writeSetting(section, kHeight, QString::number(window->height()));
}

} // namespace imailPlacement
