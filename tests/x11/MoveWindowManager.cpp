// The least window manager a test needs to see a program hand a drag to it: windows are mapped
// and configured as they ask, and _NET_WM_MOVERESIZE, the request by which a program asks the
// window manager to move a window with the mouse, is offered and carried out: the window follows
// the pointer until the button is released. Ends after a minute.
//
//   x11_move_wm
//
// Prints "ready" once it manages the screen, then for each move it is asked for
// "move WINDOW X Y" (WINDOW the X window id in decimal, X Y where the pointer was) and, when the
// button is released, "moved WINDOW X Y" (where the window's top-left corner ended).

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <sys/select.h>

#include <cstdio>
#include <ctime>

namespace {

bool g_refused = false;  // another window manager holds the screen

int NoteRefusal(Display*, XErrorEvent* error)
{
    if (error->error_code == BadAccess)
        g_refused = true;
    return 0;
}

constexpr long kMove = 8;  // _NET_WM_MOVERESIZE_MOVE

struct Move {
    Window window = 0;
    int pointerX = 0, pointerY = 0;  // where the drag began, root pixels
    int windowX = 0, windowY = 0;    // where the window stood then
};

void Follow(Display* display, const Move& move, int x, int y)
{
    XMoveWindow(display, move.window, move.windowX + x - move.pointerX, move.windowY + y - move.pointerY);
}

void Finish(Display* display, Move& move, int x, int y)
{
    Follow(display, move, x, y);
    XUngrabPointer(display, CurrentTime);
    std::printf("moved %lu %d %d\n", move.window, move.windowX + x - move.pointerX, move.windowY + y - move.pointerY);
    std::fflush(stdout);
    move.window = 0;
}

void Begin(Display* display, Window root, Move& move, const XClientMessageEvent& request)
{
    move.window = request.window;
    move.pointerX = int(request.data.l[0]);
    move.pointerY = int(request.data.l[1]);
    Window child = 0;
    XTranslateCoordinates(display, move.window, root, 0, 0, &move.windowX, &move.windowY, &child);
    std::printf("move %lu %d %d\n", move.window, move.pointerX, move.pointerY);
    std::fflush(stdout);
    XGrabPointer(display, root, False, PointerMotionMask | ButtonReleaseMask, GrabModeAsync, GrabModeAsync, None,
                 None, CurrentTime);
    // The button may have gone up before the grab: then the move ends where the pointer is.
    Window rootReturn = 0, childReturn = 0;
    int x = 0, y = 0, winX = 0, winY = 0;
    unsigned buttons = 0;
    XQueryPointer(display, root, &rootReturn, &childReturn, &x, &y, &winX, &winY, &buttons);
    if (!(buttons & Button1Mask))
        Finish(display, move, x, y);
}

}  // namespace

int main()
{
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "x11_move_wm: no X display\n");
        return 1;
    }
    const Window root = DefaultRootWindow(display);
    XSetErrorHandler(NoteRefusal);
    XSelectInput(display, root, SubstructureRedirectMask | SubstructureNotifyMask);
    XSync(display, False);
    if (g_refused) {
        std::fprintf(stderr, "x11_move_wm: another window manager runs\n");
        return 1;
    }
    const Atom moveResize = XInternAtom(display, "_NET_WM_MOVERESIZE", False);
    XChangeProperty(display, root, XInternAtom(display, "_NET_SUPPORTED", False), XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&moveResize), 1);
    XSync(display, False);
    std::printf("ready\n");
    std::fflush(stdout);

    Move move;
    const std::time_t end = std::time(nullptr) + 60;
    while (std::time(nullptr) < end) {
        if (!XPending(display)) {
            fd_set readable;
            FD_ZERO(&readable);
            FD_SET(ConnectionNumber(display), &readable);
            timeval wait{1, 0};
            select(ConnectionNumber(display) + 1, &readable, nullptr, nullptr, &wait);
            continue;
        }
        XEvent event;
        XNextEvent(display, &event);
        switch (event.type) {
        case MapRequest:
            XMapWindow(display, event.xmaprequest.window);
            break;
        case ConfigureRequest: {
            const XConfigureRequestEvent& request = event.xconfigurerequest;
            XWindowChanges changes{request.x, request.y, request.width, request.height, request.border_width,
                                   request.above, request.detail};
            XConfigureWindow(display, request.window, unsigned(request.value_mask), &changes);
            break;
        }
        case ClientMessage:
            if (event.xclient.message_type == moveResize && event.xclient.data.l[2] == kMove && !move.window)
                Begin(display, root, move, event.xclient);
            break;
        case MotionNotify:
            if (move.window)
                Follow(display, move, event.xmotion.x_root, event.xmotion.y_root);
            break;
        case ButtonRelease:
            if (move.window)
                Finish(display, move, event.xbutton.x_root, event.xbutton.y_root);
            break;
        default:
            break;
        }
        XFlush(display);
    }
    XCloseDisplay(display);
    return 0;
}
