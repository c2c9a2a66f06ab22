#include "profile/knowledgebars.h"

#include <cmath>

namespace modGlobal {

int knowledgeBarLength(int width, int level)
{
    if (level < 1 || level > 4)
        return 0;
    // Halves go to the even neighbour, as the drawing scale always did.
    return static_cast<int>(std::nearbyint(static_cast<double>(width) / 4.0 * level));
}

BarColour knowledgeBarColour(int level)
{
    switch (level) {
    case 1:
        return {255, 0, 0};
    case 2:
        return {255, 153, 0};
    case 3:
        return {255, 255, 0};
    case 4:
        return {0, 255, 0};
    default:
        return {};
    }
}

QRect knowledgeBarRect(QSize picture, int level)
{
    const int length = knowledgeBarLength(picture.width(), level);
    if (length == 0)
        return {};
    const QRect r(QPoint(1, 1), QPoint(length - 2, picture.height() - 2));
    return r.isValid() ? r : QRect();
}

} // namespace modGlobal
