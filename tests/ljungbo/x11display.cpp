#include "x11display.h"

#include <QDeadlineTimer>
#include <QThread>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

struct X11Display::Impl {
    Display *display = nullptr;
};

X11Display::X11Display() : d(std::make_unique<Impl>()) {}

X11Display::~X11Display()
{
    if (d->display)
        XCloseDisplay(d->display);
}

bool X11Display::start(QString *why)
{
    if (!m_server.start(why))
        return false;
    m_name = m_server.display();
    d->display = XOpenDisplay(m_name.toLatin1().constData());
    if (!d->display) {
        *why = QStringLiteral("cannot open display ") + m_name;
        return false;
    }
    return true;
}

unsigned long X11Display::findWindow(const QString &title)
{
    if (!d->display)
        return 0;
    Window root = DefaultRootWindow(d->display);
    Window rootOut = 0, parent = 0;
    Window *children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(d->display, root, &rootOut, &parent, &children, &count))
        return 0;
    unsigned long found = 0;
    const QByteArray wanted = title.toUtf8();
    const Atom netName = XInternAtom(d->display, "_NET_WM_NAME", False);
    const Atom utf8 = XInternAtom(d->display, "UTF8_STRING", False);
    for (unsigned int i = 0; i < count && !found; ++i) {
        XWindowAttributes attributes;
        if (!XGetWindowAttributes(d->display, children[i], &attributes)
            || attributes.map_state != IsViewable)
            continue;
        Atom type = 0;
        int format = 0;
        unsigned long items = 0, after = 0;
        unsigned char *data = nullptr;
        QByteArray name;
        if (XGetWindowProperty(d->display, children[i], netName, 0, 1024, False, utf8, &type, &format,
                               &items, &after, &data) == Success && data) {
            name = QByteArray(reinterpret_cast<const char *>(data), static_cast<int>(items));
            XFree(data);
        } else {
            char *plain = nullptr;
            if (XFetchName(d->display, children[i], &plain) && plain) {
                name = plain;
                XFree(plain);
            }
        }
        if (name == wanted)
            found = children[i];
    }
    if (children)
        XFree(children);
    return found;
}

unsigned long X11Display::waitForWindow(const QString &title, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        if (unsigned long w = findWindow(title))
            return w;
        QThread::msleep(50);
    }
    return 0;
}

bool X11Display::clientSize(unsigned long window, int *width, int *height)
{
    XWindowAttributes attributes;
    if (!d->display || !XGetWindowAttributes(d->display, window, &attributes))
        return false;
    *width = attributes.width;
    *height = attributes.height;
    return true;
}

bool X11Display::closeWindow(unsigned long window)
{
    if (!d->display)
        return false;
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(d->display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(d->display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    const Status sent = XSendEvent(d->display, window, False, NoEventMask, &event);
    XFlush(d->display);
    return sent != 0;
}
