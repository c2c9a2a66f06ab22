#include "xclient.h"

#include <X11/Xatom.h>
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <QDeadlineTimer>
#include <QThread>

#include <memory>

namespace xclient {

namespace {
struct DisplayCloser {
    void operator()(Display *d) const { XCloseDisplay(d); }
};
using DisplayPtr = std::unique_ptr<Display, DisplayCloser>;

// Xlib's own handler ends the process on any error, which would leave the
// test's Xvfb and bus behind; a failed request shows in the results instead.
int ignoreError(Display *, XErrorEvent *)
{
    return 0;
}

DisplayPtr open(const QString &display)
{
    XSetErrorHandler(ignoreError);
    return DisplayPtr(XOpenDisplay(display.toLocal8Bit().constData()));
}
} // namespace

int bindKeysym(const QString &display, const QString &keysymName)
{
    DisplayPtr d = open(display);
    if (!d)
        return 0;
    const KeySym sym = XStringToKeysym(keysymName.toLatin1().constData());
    if (sym == NoSymbol)
        return 0;
    if (const KeyCode code = XKeysymToKeycode(d.get(), sym))
        return code;

    int minCode = 0;
    int maxCode = 0;
    XDisplayKeycodes(d.get(), &minCode, &maxCode);
    int perCode = 0;
    KeySym *map = XGetKeyboardMapping(d.get(), KeyCode(minCode), maxCode - minCode + 1, &perCode);
    if (!map)
        return 0;
    // A key the server's XKB map names: programs read their keymap through
    // XKB, which leaves a nameless code without any symbol.
    XkbDescPtr xkb = XkbGetMap(d.get(), 0, XkbUseCoreKbd);
    if (xkb && XkbGetNames(d.get(), XkbKeyNamesMask, xkb) != Success) {
        XkbFreeKeyboard(xkb, 0, True);
        xkb = nullptr;
    }
    int spare = 0;
    for (int code = minCode; code <= maxCode && !spare; ++code) {
        bool empty = true;
        for (int i = 0; i < perCode; ++i)
            empty = empty && map[(code - minCode) * perCode + i] == NoSymbol;
        const bool named = xkb && xkb->names && xkb->names->keys && xkb->names->keys[code].name[0] != 0;
        if (empty && named)
            spare = code;
    }
    if (xkb)
        XkbFreeKeyboard(xkb, 0, True);
    XFree(map);
    if (!spare)
        return 0;
    KeySym syms[2] = {sym, sym};
    XChangeKeyboardMapping(d.get(), spare, 2, syms, 1);
    XSync(d.get(), False);
    return XKeysymToKeycode(d.get(), sym) == spare ? spare : 0;
}

bool requestClose(const QString &display, unsigned long window)
{
    DisplayPtr d = open(display);
    if (!d)
        return false;
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = Window(window);
    event.xclient.message_type = XInternAtom(d.get(), "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = long(XInternAtom(d.get(), "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    const Status sent = XSendEvent(d.get(), Window(window), False, NoEventMask, &event);
    XSync(d.get(), False);
    return sent != 0;
}

unsigned long findWindow(const QString &display, const QString &title)
{
    DisplayPtr d = open(display);
    if (!d)
        return 0;
    Window root = DefaultRootWindow(d.get());
    Window rootOut = 0, parent = 0;
    Window *children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(d.get(), root, &rootOut, &parent, &children, &count))
        return 0;
    unsigned long found = 0;
    const QByteArray wanted = title.toUtf8();
    const Atom netName = XInternAtom(d.get(), "_NET_WM_NAME", False);
    const Atom utf8 = XInternAtom(d.get(), "UTF8_STRING", False);
    for (unsigned int i = 0; i < count && !found; ++i) {
        XWindowAttributes attributes;
        if (!XGetWindowAttributes(d.get(), children[i], &attributes)
            || attributes.map_state != IsViewable)
            continue;
        Atom type = 0;
        int format = 0;
        unsigned long items = 0, after = 0;
        unsigned char *data = nullptr;
        QByteArray name;
        if (XGetWindowProperty(d.get(), children[i], netName, 0, 1024, False, utf8, &type, &format,
                               &items, &after, &data) == Success && data) {
            name = QByteArray(reinterpret_cast<const char *>(data), static_cast<int>(items));
            XFree(data);
        } else {
            char *plain = nullptr;
            if (XFetchName(d.get(), children[i], &plain) && plain) {
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

unsigned long waitForWindow(const QString &display, const QString &title, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        if (unsigned long w = findWindow(display, title))
            return w;
        QThread::msleep(50);
    }
    return 0;
}

bool clientSize(const QString &display, unsigned long window, int *width, int *height)
{
    DisplayPtr d = open(display);
    XWindowAttributes attributes;
    if (!d || !XGetWindowAttributes(d.get(), Window(window), &attributes))
        return false;
    *width = attributes.width;
    *height = attributes.height;
    return true;
}

} // namespace xclient
