#pragma once
#include <QProcess>
#include <QSize>
#include <QString>

// A private Xvfb display for one test (no window manager). The display
// number is the one Xvfb picks itself (-displayfd), so parallel tests never
// collide.
class XvfbServer
{
public:
    XvfbServer() = default;
    ~XvfbServer();
    XvfbServer(const XvfbServer &) = delete;
    XvfbServer &operator=(const XvfbServer &) = delete;

    static bool available();
    bool start(QString *why = nullptr);
    QString display() const { return m_display; }  // ":N"
    static QSize screenSize() { return {1024, 768}; }

private:
    QProcess m_server;
    QString m_display;
};
