#include "app/prglogin.h"

#include <cmath>

namespace {
// The int scale of QProgressBar: one step per 0.0001.
constexpr int kSteps = 10000;
} // namespace

prgLogin::prgLogin(QWidget *parent) : QProgressBar(parent)
{
    setObjectName(QStringLiteral("prgLogin"));
    setTextVisible(false);
    setRange(1, int(kMaximum * kSteps));
    setFixedSize(64, 14);
    QProgressBar::setValue(1);
}

void prgLogin::setValue(double value)
{
    float v = std::isnan(value) ? kIdle : float(value);
    if (v < kIdle)
        v = kIdle;
    if (v > kMaximum)
        v = kMaximum;
    m_value = v;
    QProgressBar::setValue(int(std::lround(double(v) * kSteps)));
}
