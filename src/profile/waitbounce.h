#pragma once
#include <QString>

namespace modGlobal {

// The progress animation of the wait dialogs: 0..20 and back, the bottom
// turn marked by 0.0001 for one tick.
struct WaitBounce {
    double value = 0;
    QString direction = QStringLiteral("up");
    void tick();
};

} // namespace modGlobal
