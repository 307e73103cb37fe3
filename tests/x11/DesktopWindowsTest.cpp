// The windows a desktop-mode mail takes in, on a real X server with windows of known places:
// the X server's own list of top-level windows without a window manager, the stacking list a
// window manager keeps when there is one, and the windows passed over.

#include "TestApplication.h"
#include "X11Desk.h"

#include "mail/DesktopCaptureRect.h"
#include "mail/X11TopLevelWindows.h"

#include <gtest/gtest.h>

// X11 headers after Qt's.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <vector>

namespace {

const CRect kDesk(0, 0, 1920, 1080);

// Another client of the X server, making the windows a user would have open.
class OtherClient {
public:
    OtherClient() : m_display(XOpenDisplay(nullptr)) {}
    ~OtherClient()
    {
        if (m_display)
            XCloseDisplay(m_display);
    }
    bool Connected() const { return m_display != nullptr; }

    // A mapped window with a title (none when empty) at rect.
    Window Open(const QString& title, const CRect& rect, bool map = true)
    {
        const Window root = DefaultRootWindow(m_display);
        XSetWindowAttributes attributes{};
        attributes.override_redirect = True;  // placed where asked, window manager or not
        const Window window = XCreateWindow(m_display, root, rect.left, rect.top, unsigned(rect.Width()),
                                            unsigned(rect.Height()), 0, CopyFromParent, InputOutput, CopyFromParent,
                                            CWOverrideRedirect, &attributes);
        if (!title.isEmpty())
            XStoreName(m_display, window, title.toLatin1().constData());
        if (map)
            XMapWindow(m_display, window);
        XSync(m_display, False);
        return window;
    }
    void SetAtom(Window window, const char* property, const char* value)
    {
        const Atom atom = XInternAtom(m_display, value, False);
        XChangeProperty(m_display, window, XInternAtom(m_display, property, False), XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(&atom), 1);
        XSync(m_display, False);
    }
    // The stacking list a window manager keeps, bottom first.
    void SetStacking(const std::vector<Window>& bottomUp)
    {
        std::vector<unsigned long> ids(bottomUp.begin(), bottomUp.end());
        XChangeProperty(m_display, DefaultRootWindow(m_display), XInternAtom(m_display, "_NET_CLIENT_LIST_STACKING", False),
                        XA_WINDOW, 32, PropModeReplace, reinterpret_cast<const unsigned char*>(ids.data()), int(ids.size()));
        XSync(m_display, False);
    }

private:
    Display* m_display;
};

class DesktopWindowsTest : public ::testing::Test {
protected:
    DesktopWindowsTest() { TestApplication(); }

    static CRect CaptureOf(const CRect& ink) { return ComputeDesktopCaptureRect(kDesk, ink, X11TopLevelWindows()); }

    OtherClient m_client;
};

TEST_F(DesktopWindowsTest, the_ink_takes_in_the_window_it_lies_on_and_those_that_window_meets)
{
    ASSERT_TRUE(X11Desk::Available());
    ASSERT_TRUE(m_client.Connected());
    // Made from the bottom of the stack up: the viewer below the editor.
    m_client.Open("Viewer", CRect(450, 150, 750, 350));
    m_client.Open("Editor", CRect(100, 100, 500, 400));
    m_client.Open("Far away", CRect(1200, 600, 1500, 900));
    m_client.Open("", CRect(0, 0, 1920, 1080));                      // no title
    m_client.Open("Closed", CRect(0, 0, 1920, 1080), false);         // not mapped
    const Window panel = m_client.Open("Panel", CRect(0, 0, 1920, 1080));
    m_client.SetAtom(panel, "_NET_WM_WINDOW_TYPE", "_NET_WM_WINDOW_TYPE_DOCK");
    const Window minimised = m_client.Open("Minimised", CRect(0, 0, 1920, 1080));
    m_client.SetAtom(minimised, "_NET_WM_STATE", "_NET_WM_STATE_HIDDEN");
    X11Desk::Settle();

    // Ink on the editor: the editor, then the viewer it overlaps, met late in the walk.
    EXPECT_EQ(CaptureOf(CRect(150, 150, 200, 200)), CRect(100, 100, 750, 400));
    // Ink over no window: just the ink.
    EXPECT_EQ(CaptureOf(CRect(900, 100, 950, 120)), CRect(900, 100, 950, 120));
    // Ink reaching past the screen stays on it.
    EXPECT_EQ(CaptureOf(CRect(1450, 850, 2000, 1200)), CRect(1200, 600, 1920, 1080));
    // No ink, nothing.
    EXPECT_TRUE(CaptureOf(CRect()).IsRectEmpty());
}

TEST_F(DesktopWindowsTest, a_window_managers_stacking_list_gives_the_order)
{
    ASSERT_TRUE(X11Desk::Available());
    ASSERT_TRUE(m_client.Connected());
    const Window editor = m_client.Open("Editor", CRect(100, 100, 500, 400));
    const Window viewer = m_client.Open("Viewer", CRect(450, 150, 750, 350));
    // The viewer on top: the walk meets it before the ink has grown over the editor.
    m_client.SetStacking({editor, viewer});
    EXPECT_EQ(CaptureOf(CRect(150, 150, 200, 200)), CRect(100, 100, 500, 400));
    // The editor on top: both.
    m_client.SetStacking({viewer, editor});
    EXPECT_EQ(CaptureOf(CRect(150, 150, 200, 200)), CRect(100, 100, 750, 400));
    const std::vector<TopLevelWindow> windows = X11TopLevelWindows();
    ASSERT_EQ(windows.size(), 2u);
    EXPECT_EQ(windows[0].title, "Editor");
    EXPECT_EQ(windows[1].title, "Viewer");
}

}  // namespace
