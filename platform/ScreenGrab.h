#pragma once
// A picture of the whole screen: every monitor of the virtual desktop in one bitmap, in
// physical pixels, ready to be selected into a DrawingSurface. Two ways to take it, chosen for
// the session by MakeScreenGrab (see WindowSystem.h): Qt's screens read the X server's root
// window; on a Wayland session, where no program may read the screen, the desktop portal
// takes the picture for us.
//
// A grab that cannot be had returns no image and says why in words the caller shows the user,
// never a black picture: a mode that writes over the screen is not entered over nothing.

#include <QImage>
#include <QPoint>
#include <QString>

#include <memory>

struct ScreenGrabResult {
    QImage image;   // Format_RGB32, physical pixels, device pixel ratio 1; null when it failed
    QPoint origin;  // the virtual desktop's top-left corner, physical pixels: image pixel (0, 0)
    QString error;  // why there is no image, for the user; empty when there is one

    bool Ok() const { return !image.isNull(); }
    static ScreenGrabResult Failure(const QString& why) { return {QImage(), QPoint(), why}; }
};

class IScreenGrab {
public:
    virtual ~IScreenGrab() = default;
    // Takes the picture now. It may wait for another process (with the wait cursor shown and
    // the program's windows repainting), but never without a bound.
    virtual ScreenGrabResult Grab() = 0;
};

// The grab for this session and the Qt platform the program runs on.
std::unique_ptr<IScreenGrab> MakeScreenGrab();
