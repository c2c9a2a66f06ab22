#pragma once
#include <QApplication>
#include <QPalette>

// A dark theme, with the roles the windows draw from: light text on dark
// grounds, a light link colour.
inline QPalette darkPalette()
{
    QPalette p;
    p.setColor(QPalette::Window, QColor(0x22, 0x20, 0x20));
    p.setColor(QPalette::WindowText, Qt::white);
    p.setColor(QPalette::Base, QColor(0x3d, 0x3d, 0x3d));
    p.setColor(QPalette::Text, Qt::white);
    p.setColor(QPalette::Button, QColor(0x42, 0x42, 0x45));
    p.setColor(QPalette::ButtonText, Qt::white);
    p.setColor(QPalette::Link, QColor(0x09, 0x86, 0xd3));
    return p;
}

// Puts the application under a palette for as long as it lives.
class ApplicationPalette
{
public:
    explicit ApplicationPalette(const QPalette &p) : m_old(QApplication::palette()) { QApplication::setPalette(p); }
    ~ApplicationPalette() { QApplication::setPalette(m_old); }
    ApplicationPalette(const ApplicationPalette &) = delete;
    ApplicationPalette &operator=(const ApplicationPalette &) = delete;

private:
    QPalette m_old;
};
