#pragma once
// The top-level windows of the X server the program runs on, from the top of the stack down:
// the window manager's stacking list (_NET_CLIENT_LIST_STACKING) when one keeps it, else the
// root window's children. Titles come from _NET_WM_NAME or WM_NAME; the window types
// _NET_WM_WINDOW_TYPE_DESKTOP and _DOCK mark the desktop and docks; minimised is WM_STATE
// Iconic or _NET_WM_STATE_HIDDEN; visible is mapped and viewable; the program's own windows
// carry its process id in _NET_WM_PID; the class is WM_CLASS. Empty when the program does not run on X (Wayland,
// offscreen).

#include "DesktopCaptureRect.h"

#include <vector>

std::vector<TopLevelWindow> X11TopLevelWindows();
