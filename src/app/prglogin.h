#pragma once
#include <QProgressBar>

// The login progress bar. It holds a single-precision value between
// 0.0001 and 5; 0.0001 is the idle value that hides the bar.
class prgLogin : public QProgressBar
{
    Q_OBJECT
public:
    static constexpr float kIdle = 0.0001f;
    static constexpr float kMaximum = 5.0f;

    explicit prgLogin(QWidget *parent = nullptr);

    double value() const { return m_value; }
    // Out-of-range values are clamped: the bar never shows more than full.
    void setValue(double value);
    bool isIdle() const { return m_value == kIdle; }

private:
    float m_value = kIdle;
};
