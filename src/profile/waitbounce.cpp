#include "profile/waitbounce.h"

namespace modGlobal {

namespace {
constexpr double kBottomTurn = 0.0001;
const QString kUp = QStringLiteral("up");
const QString kDown = QStringLiteral("down");
} // namespace

void WaitBounce::tick()
{
    if (value == 20) {
        direction = kDown;
        value = 19;
    } else if (value == kBottomTurn) {
        value = 1;
        direction = kUp;
    } else if (direction == kUp) {
        value += 1;
    } else if (direction == kDown) {
        value = value != 1 ? value - 1 : kBottomTurn;
    }
}

} // namespace modGlobal
