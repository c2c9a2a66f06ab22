#include "app/placement.h"

#include "settings/modsettings.h"

#include <QGuiApplication>
#include <QLocale>
#include <QScreen>
#include <QWidget>

#include <cmath>

namespace modGlobal {

namespace {

const QString kSection = QStringLiteral("Kortvik");
const QString kWidth = QStringLiteral("frmMn.Width");
const QString kHeight = QStringLiteral("frmMn.Height");
const QString kTop = QStringLiteral("frmMn.Top");
const QString kLeft = QStringLiteral("frmMn.Left");

// Window measures are kept in twips; 15 of them make a pixel.
constexpr double kTwipsPerPixel = 15.0;
// Far beyond any screen; larger stored values are treated as unreadable.
constexpr double kLargestCoordinate = 1.0e6;

// A stored size as it is applied: to whole twips, then to pixels.
int sizeFromStored(double pixels)
{
    const double twips = std::nearbyint(pixels * kTwipsPerPixel);
    return int(std::nearbyint(twips / kTwipsPerPixel));
}

// An edge: rounded to a whole pixel, halves to even (the default rounding mode).
int edgeFromStored(double pixels)
{
    return int(std::nearbyint(pixels));
}

// Frame thickness the window manager adds, known only once the window is shown.
QSize frameExtra(const QWidget *window)
{
    return window->frameGeometry().size() - window->geometry().size();
}

// A Wayland client is never told where its window is (Qt reports a
// made-up position), so there the stored edges are left as they were.
bool windowPositionKnown()
{
    return !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

QScreen *screenFor(const QWidget *window, const QRect &outer)
{
    if (QScreen *s = QGuiApplication::screenAt(outer.center()))
        return s;
    if (QScreen *s = window->screen())
        return s;
    return QGuiApplication::primaryScreen();
}

struct Placement {
    QSize size;
    QPoint pos;
};

void apply(QWidget *window, const Placement &p)
{
    window->resize(p.size);
    window->move(p.pos);
}

} // namespace

std::optional<double> parsePlacementNumber(const QString &text)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return std::nullopt;
    bool ok = false;
    double v = QLocale::system().toDouble(t, &ok);
    if (!ok)
        v = QLocale::c().toDouble(t, &ok);
    if (!ok || !std::isfinite(v) || std::fabs(v) > kLargestCoordinate)
        return std::nullopt;
    return v;
}

bool placementFitsScreen(const QRectF &window, const QRect &screen)
{
    const double sw = screen.width();
    const double sh = screen.height();
    const double top = window.top() - screen.top();
    const double left = window.left() - screen.left();
    // Strict comparisons: a window exactly as wide as the screen, or with its
    // top exactly at -18, is kept.
    if (window.width() > sw)
        return false;
    if (window.height() > sh)
        return false;
    if (top > sh - 100)
        return false;
    if (top < -18)
        return false;
    if (left > sw * 8.0 / 9.0)
        return false;
    if (left < -(window.width() * 8.0 / 9.0))
        return false;
    return true;
}

void restorePlacement(QWidget *window)
{
    restorePlacement(window, &modSettings::tryReadSetting);
}

void restorePlacement(QWidget *window, const PlacementReader &read)
{
    if (!window)
        return;
    const Placement design{window->size(), window->pos()};

    // Each key is read with the window's current value as its default, so
    // a missing key changes nothing.
    auto readNumber = [&](const QString &key, int current) -> std::optional<double> {
        const std::optional<QString> text = read(kSection, key, QString::number(current));
        if (!text)
            return std::nullopt;
        return parsePlacementNumber(*text);
    };

    const std::optional<double> height = readNumber(kHeight, window->height());
    // A window of no size cannot be seen or grabbed again.
    if (!height || sizeFromStored(*height) < 1) {
        apply(window, design);
        return;
    }
    window->resize(window->width(), sizeFromStored(*height));

    const std::optional<double> width = readNumber(kWidth, window->width());
    if (!width || sizeFromStored(*width) < 1) {
        apply(window, design);
        return;
    }
    window->resize(sizeFromStored(*width), window->height());

    const std::optional<double> top = readNumber(kTop, window->pos().y());
    if (!top) {
        apply(window, design);
        return;
    }
    window->move(window->pos().x(), edgeFromStored(*top));

    const std::optional<double> left = readNumber(kLeft, window->pos().x());
    if (!left) {
        apply(window, design);
        return;
    }
    window->move(edgeFromStored(*left), window->pos().y());

    const QRect outer(window->pos(), window->size() + frameExtra(window));
    QScreen *screen = screenFor(window, outer);
    if (screen && !placementFitsScreen(QRectF(outer), screen->geometry()))
        apply(window, design);
}

void savePlacement(const QWidget *window)
{
    savePlacement(window, &modSettings::writeSetting);
}

void savePlacement(const QWidget *window, const PlacementWriter &write)
{
    if (!window)
        return;
    write(kSection, kWidth, QString::number(window->width()));
    write(kSection, kHeight, QString::number(window->height()));
    if (!windowPositionKnown())
        return;
    write(kSection, kTop, QString::number(window->pos().y()));
    write(kSection, kLeft, QString::number(window->pos().x()));
}

} // namespace modGlobal
