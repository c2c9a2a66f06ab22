#pragma once
#include <QList>
#include <QRect>
#include <QString>

#include <optional>

class QWidget;

// The window's placement in its own section of Config.ini, in pixels.
namespace imailPlacement {

inline constexpr char kSection[] = "kortvik-imail";

// The stored geometry when all four numbers read and the window would show
// at least a grip's worth (its title area) on one of the screens.
std::optional<QRect> usable(const QString &left, const QString &top, const QString &width,
                            const QString &height, const QList<QRect> &screens);

void restore(QWidget *window);
void save(const QWidget *window);

} // namespace imailPlacement
