#include "X11TopLevelWindows.h"

#include <QGuiApplication>

// X11 headers after Qt's: they define names Qt uses.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <unistd.h>

#include <algorithm>

namespace {

// One property of a window as an array of items of its format, freed when it goes.
class Property {
public:
    Property(Display* display, Window window, Atom name, Atom type)
    {
        Atom actualType = None;
        int format = 0;
        unsigned long after = 0;
        constexpr long kMaxItems = 1 << 16;  // longs: a stacking list of 65536 windows at most
        if (XGetWindowProperty(display, window, name, 0, kMaxItems, False, type, &actualType, &format, &m_count,
                               &after, &m_data) != Success || !m_data)
            m_count = 0;
    }
    ~Property()
    {
        if (m_data)
            XFree(m_data);
    }
    Property(const Property&) = delete;
    Property& operator=(const Property&) = delete;

    unsigned long Count() const { return m_count; }
    // Items of format 32 come as longs.
    unsigned long Long(unsigned long i) const { return reinterpret_cast<const unsigned long*>(m_data)[i]; }
    QString Utf8() const { return m_data ? QString::fromUtf8(reinterpret_cast<const char*>(m_data), int(m_count)) : QString(); }
    QString Latin1() const { return m_data ? QString::fromLatin1(reinterpret_cast<const char*>(m_data), int(m_count)) : QString(); }

private:
    unsigned char* m_data = nullptr;
    unsigned long m_count = 0;
};

// A window may go between the listing and the questions about it: its errors are not fatal.
int IgnoreError(Display*, XErrorEvent*)
{
    return 0;
}

Atom Intern(Display* display, const char* name)
{
    return XInternAtom(display, name, False);
}

bool HasAtom(const Property& list, Atom atom)
{
    for (unsigned long i = 0; i < list.Count(); ++i)
        if (list.Long(i) == atom)
            return true;
    return false;
}

// Bottom first, as both lists give them.
std::vector<Window> StackBottomUp(Display* display, Window root)
{
    const Property stacking(display, root, Intern(display, "_NET_CLIENT_LIST_STACKING"), XA_WINDOW);
    std::vector<Window> windows;
    for (unsigned long i = 0; i < stacking.Count(); ++i)
        windows.push_back(Window(stacking.Long(i)));
    if (!windows.empty())
        return windows;
    Window rootBack = 0, parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (XQueryTree(display, root, &rootBack, &parent, &children, &count) && children) {
        windows.assign(children, children + count);
        XFree(children);
    }
    return windows;
}

TopLevelWindow Describe(Display* display, Window root, Window window)
{
    TopLevelWindow described;
    XWindowAttributes attributes{};
    if (!XGetWindowAttributes(display, window, &attributes)) {
        described.visible = false;
        return described;
    }
    int x = 0, y = 0;
    Window child = 0;
    XTranslateCoordinates(display, window, root, 0, 0, &x, &y, &child);
    described.rect = CRect(x, y, x + attributes.width, y + attributes.height);
    described.visible = attributes.map_state == IsViewable;
    described.enabled = attributes.c_class == InputOutput;

    const Atom utf8 = Intern(display, "UTF8_STRING");
    described.title = Property(display, window, Intern(display, "_NET_WM_NAME"), utf8).Utf8();
    if (described.title.isEmpty())
        described.title = Property(display, window, XA_WM_NAME, XA_STRING).Latin1();

    const Property types(display, window, Intern(display, "_NET_WM_WINDOW_TYPE"), XA_ATOM);
    described.desktopOrDock = HasAtom(types, Intern(display, "_NET_WM_WINDOW_TYPE_DESKTOP"))
                           || HasAtom(types, Intern(display, "_NET_WM_WINDOW_TYPE_DOCK"));
    const Property states(display, window, Intern(display, "_NET_WM_STATE"), XA_ATOM);
    const Atom wmState = Intern(display, "WM_STATE");
    const Property icccmState(display, window, wmState, wmState);
    described.iconic = HasAtom(states, Intern(display, "_NET_WM_STATE_HIDDEN"))
                    || (icccmState.Count() > 0 && icccmState.Long(0) == IconicState);
    XClassHint hint{};
    if (XGetClassHint(display, window, &hint)) {
        described.windowInstance = QString::fromLatin1(hint.res_name ? hint.res_name : "");
        described.windowClass = QString::fromLatin1(hint.res_class ? hint.res_class : "");
        XFree(hint.res_name);
        XFree(hint.res_class);
    }
    described.id = window;
    const Property pid(display, window, Intern(display, "_NET_WM_PID"), XA_CARDINAL);
    described.own = pid.Count() > 0 && long(pid.Long(0)) == long(::getpid());
    return described;
}

}  // namespace

std::vector<TopLevelWindow> X11TopLevelWindows()
{
    const auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    Display* display = x11 ? x11->display() : nullptr;
    if (!display)
        return {};
    XSync(display, False);
    const auto previous = XSetErrorHandler(IgnoreError);
    const Window root = DefaultRootWindow(display);
    std::vector<Window> stack = StackBottomUp(display, root);
    std::reverse(stack.begin(), stack.end());
    std::vector<TopLevelWindow> windows;
    windows.reserve(stack.size());
    for (Window window : stack)
        windows.push_back(Describe(display, root, window));
    XSync(display, False);
    XSetErrorHandler(previous);
    return windows;
}
