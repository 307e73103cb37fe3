#include "X11PasteKeystroke.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QThread>

// X11 headers after Qt's: they define names Qt uses.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace X11PasteKeystroke {

namespace {

constexpr int kFocusPollMs = 5;

Display* XDisplay()
{
    const auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->display() : nullptr;
}

// The window may go while we wait for it: its errors are not fatal.
int IgnoreError(Display*, XErrorEvent*)
{
    return 0;
}

bool WindowManagerRuns(Display* display, Window root)
{
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    const Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", False);
    const bool runs = XGetWindowProperty(display, root, check, 0, 1, False, XA_WINDOW, &type, &format, &count, &after,
                                         &data) == Success
                   && count == 1;
    if (data)
        XFree(data);
    return runs;
}

void AskWindowManager(Display* display, Window root, Window window)
{
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "_NET_ACTIVE_WINDOW", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = 2;  // from a pager: the window manager obeys rather than flashes
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, root, False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
}

// The focus is in window when it is the window itself or one of its descendants.
bool HasFocus(Display* display, Window window)
{
    Window focus = None;
    int revert = 0;
    XGetInputFocus(display, &focus, &revert);
    const Window root = DefaultRootWindow(display);
    while (focus != None && focus != PointerRoot && focus != root) {
        if (focus == window)
            return true;
        Window rootBack = 0, parent = 0;
        Window* children = nullptr;
        unsigned int count = 0;
        if (!XQueryTree(display, focus, &rootBack, &parent, &children, &count))
            return false;
        if (children)
            XFree(children);
        focus = parent;
    }
    return false;
}

}  // namespace

bool Available()
{
    Display* display = XDisplay();
    int event = 0, error = 0, major = 0, minor = 0;
    return display && XTestQueryExtension(display, &event, &error, &major, &minor);
}

bool Activate(unsigned long window, int timeoutMs)
{
    Display* display = XDisplay();
    if (!display || !window)
        return false;
    const auto previous = XSetErrorHandler(IgnoreError);
    const Window root = DefaultRootWindow(display);
    if (WindowManagerRuns(display, root)) {
        AskWindowManager(display, root, window);
    } else {
        XRaiseWindow(display, window);
        XSetInputFocus(display, window, RevertToParent, CurrentTime);
    }
    XSync(display, False);
    bool focused = HasFocus(display, window);
    const QDeadlineTimer deadline(timeoutMs);
    while (!focused && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        QThread::msleep(kFocusPollMs);
        focused = HasFocus(display, window);
    }
    XSync(display, False);
    XSetErrorHandler(previous);
    return focused;
}

bool SendPaste()
{
    Display* display = XDisplay();
    if (!Available())
        return false;
    const KeyCode control = XKeysymToKeycode(display, XK_Control_L);
    const KeyCode v = XKeysymToKeycode(display, XK_v);
    if (!control || !v)
        return false;
    XTestFakeKeyEvent(display, control, True, CurrentTime);
    XTestFakeKeyEvent(display, v, True, CurrentTime);
    XTestFakeKeyEvent(display, v, False, CurrentTime);
    XTestFakeKeyEvent(display, control, False, CurrentTime);
    XFlush(display);
    return true;
}

}  // namespace X11PasteKeystroke
