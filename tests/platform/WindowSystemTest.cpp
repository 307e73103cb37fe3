// The window system and the source of screen pictures, for every kind of session.

#include "platform/WindowSystem.h"

#include <gtest/gtest.h>

namespace {

SessionEnvironment Session(const char* qtPlatform, const char* waylandDisplay, const char* sessionType,
                           const char* x11Display)
{
    return {qtPlatform, waylandDisplay, sessionType, x11Display};
}

}  // namespace

TEST(WindowSystemTest, a_wayland_session_with_xwayland_runs_the_program_on_x_first)
{
    EXPECT_EQ(ChooseQtPlatform(Session("", "wayland-0", "wayland", ":0")), "xcb;wayland");
    // Either sign of Wayland is enough.
    EXPECT_EQ(ChooseQtPlatform(Session("", "wayland-0", "", ":1")), "xcb;wayland");
    EXPECT_EQ(ChooseQtPlatform(Session("", "", "wayland", ":1")), "xcb;wayland");
}

TEST(WindowSystemTest, the_users_own_platform_and_sessions_without_a_choice_are_left_alone)
{
    // Wayland without XWayland: the compositor it is.
    EXPECT_EQ(ChooseQtPlatform(Session("", "wayland-0", "wayland", "")), "");
    // The user's word stands, whatever the session.
    EXPECT_EQ(ChooseQtPlatform(Session("wayland", "wayland-0", "wayland", ":0")), "");
    EXPECT_EQ(ChooseQtPlatform(Session("offscreen", "wayland-0", "wayland", ":0")), "");
    // An X11 session, and a console.
    EXPECT_EQ(ChooseQtPlatform(Session("", "", "x11", ":0")), "");
    EXPECT_EQ(ChooseQtPlatform(Session("", "", "tty", "")), "");
}

TEST(WindowSystemTest, a_wayland_session_takes_its_screen_from_the_portal_even_when_the_program_runs_on_xwayland)
{
    const SessionEnvironment wayland = Session("", "wayland-0", "wayland", ":0");
    EXPECT_EQ(ChooseScreenGrab(wayland, "xcb"), ScreenGrabKind::DesktopPortal);
    EXPECT_EQ(ChooseScreenGrab(wayland, "wayland"), ScreenGrabKind::DesktopPortal);
    EXPECT_EQ(ChooseScreenGrab(Session("", "", "wayland", ":0"), "xcb"), ScreenGrabKind::DesktopPortal);

    EXPECT_EQ(ChooseScreenGrab(Session("", "", "x11", ":0"), "xcb"), ScreenGrabKind::QtScreens);
    EXPECT_EQ(ChooseScreenGrab(Session("", "", "", ":99"), "xcb"), ScreenGrabKind::QtScreens);
    // Without a real screen the program's own windows are all there is to take.
    EXPECT_EQ(ChooseScreenGrab(wayland, "offscreen"), ScreenGrabKind::QtScreens);
}
