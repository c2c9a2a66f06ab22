#pragma once
#include <QRect>
#include <QString>

#include <functional>
#include <optional>

class QWidget;

// The main window's placement record: four keys of the section "Kortvik",
// each a number of screen pixels. Sizes are the window's own size and the
// edges its frame position (QWidget::resize/move), so that restoring saved
// values gives the same window back whatever frame a window manager adds.
namespace modGlobal {

// (section, key, default) -> value; nullopt when the settings file cannot
// be created or read.
using PlacementReader =
    std::function<std::optional<QString>(const QString &, const QString &, const QString &)>;
// (section, key, value)
using PlacementWriter = std::function<void(const QString &, const QString &, const QString &)>;

// Applies the stored placement to window, or brings back the placement the
// window had before the call when a value is unusable or the result does
// not fit the screen. The default reader is the settings file.
void restorePlacement(QWidget *window);
void restorePlacement(QWidget *window, const PlacementReader &read);

// Writes "frmMn.Width", "frmMn.Height", "frmMn.Top", "frmMn.Left" in that order;
// the two edges only where the window system tells a window's position
// (not under Wayland, where the stored ones stay).
void savePlacement(const QWidget *window);
void savePlacement(const QWidget *window, const PlacementWriter &write);

// The screen checks: true when a window of outer geometry `window` (in
// pixels) fits the screen `screen` well enough to be kept.
bool placementFitsScreen(const QRectF &window, const QRect &screen);

// Reads a stored number the way the settings are written: optional blanks,
// the user's or the C decimal separator; nullopt for anything else.
std::optional<double> parsePlacementNumber(const QString &text);

} // namespace modGlobal
