#include "ljungbo/form1.h"

namespace Kortvik_Ljungbo {

Form1::Form1() : QWidget(nullptr)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Form1"));
    resize(kClientWidth, kClientHeight);
}

} // namespace Kortvik_Ljungbo
