#pragma once
#include <QRect>
#include <QSize>

namespace modGlobal {

constexpr int kKnowledgeLevels = 5;  // level indexes 0..4

struct BarColour {
    int red = 0;
    int green = 0;
    int blue = 0;
    bool operator==(const BarColour &) const = default;
};

// Length of the bar of a level in a picture width wide: width / 4 * level,
// rounded half to even; 0 for level 0 and for levels outside 1..4.
int knowledgeBarLength(int width, int level);
// Red, orange, yellow, green for levels 1..4; black otherwise.
BarColour knowledgeBarColour(int level);
// The filled rectangle, (1, 1) to (length - 2, height - 2) inclusive; an
// empty rectangle when there is nothing to draw.
QRect knowledgeBarRect(QSize picture, int level);

} // namespace modGlobal
