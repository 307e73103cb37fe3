#pragma once
// The full-screen window the pen writes on outside letter mode: a frozen picture of the screen
// in desktop mode, the screen itself during a write-over in inking mode. The main frame shows
// and hides it on mode switches; without one, desktop mode is not offered.

class IWritingOverlay {
public:
    virtual ~IWritingOverlay() = default;
    // Freezes the screen into the overlay and shows it (the frame is hidden while the screen
    // is copied, and left for the caller to place). False, after telling the user why, when
    // the screen cannot be taken: the frame shows again as it was.
    virtual bool ShowSnapshotOverlay() = 0;
    virtual void HideOverlay() = 0;
    // Repaints the overlay from its back buffer, e.g. where the pen-width popup stood.
    virtual void RepaintFromBackBuffer() = 0;
};
