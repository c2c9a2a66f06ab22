#pragma once
#include <QWidget>

#include "ljungbo/module.h"

namespace Kortvik_Ljungbo {

// An empty window, caption "Form1", client area 4680 x 3195 twips.
class Form1 : public QWidget
{
public:
    static constexpr int kClientWidth = 4680 / 15;
    static constexpr int kClientHeight = 3195 / 15;

    Form1();

private:
    // The window's code lives in this library: keep it loaded until the
    // window is really destroyed (it may be deleted later from the event loop).
    ModuleUse m_use;
};

} // namespace Kortvik_Ljungbo
