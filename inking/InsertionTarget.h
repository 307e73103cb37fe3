#pragma once
// The program the ink goes into: the top-level window under the ink once our overlay is gone.

#include "mail/DesktopCaptureRect.h"

#include <QStringList>

#include <optional>
#include <vector>

namespace InsertionTarget {

// windows: from the top of the stack down (X11TopLevelWindows). The topmost window that shows
// and takes input, is not ours, not the desktop or a dock, and holds the ink's centre; failing
// that, the topmost such window the ink meets. None when the ink lies on the bare desktop.
std::optional<TopLevelWindow> Pick(const std::vector<TopLevelWindow>& windows, const CRect& ink);

// The same on the X server the program runs on; none elsewhere (Wayland, offscreen).
std::optional<TopLevelWindow> Under(const CRect& ink);

// The office programs' classes from the settings file's list.
QStringList OfficePrograms();
// Whether the window's instance or class name is one of programs, in any case.
bool IsOffice(const TopLevelWindow& window, const QStringList& programs);

}  // namespace InsertionTarget
