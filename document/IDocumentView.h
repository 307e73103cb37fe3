#pragma once
// What the note document needs of the view that shows it, and no more: the page settings a
// note carries, repainting, and the few view actions that follow opening or starting a note.
// The canvas view implements it on screen; the headless tool implements it without a window.

#include "platform/ColorRef.h"
#include "platform/FrameMode.h"
#include "platform/Rect.h"
#include "platform/TabletPark.h"

#include <QString>
#include <QtGlobal>

class DrawingSurface;

// The page settings stored at the head of a note file.
struct PageSettings {
    COLORREF background = 0;
    COLORREF lineColor = 0;
    LONG lineHeight = 0;  // page pixels
    RECT page{};          // page pixels

    // Pages whose buffer would exceed this many pixels are refused: a damaged note, or a page
    // lengthened past any memory.
    static constexpr qint64 kMaxPagePixels = qint64(1) << 28;
    static bool IsPageAllowed(const RECT& rect)
    {
        const qint64 width = qint64(rect.right) - rect.left;
        const qint64 height = qint64(rect.bottom) - rect.top;
        return width > 0 && height > 0 && width <= 65536 && width * height <= kMaxPagePixels;
    }
};

// Parking the pen (ITabletPark) keeps it off the page while a dialog of the note is open.
class IDocumentView : public ITabletPark {
public:
    virtual ~IDocumentView() = default;

    virtual PageSettings GetPageSettings() const = 0;
    // Takes a note's page settings; the page buffer follows the page's size.
    virtual void SetPageSettings(const PageSettings& settings) = 0;
    // Paints the whole page anew; with content also the pictures and strokes.
    virtual void DrawRuledLines(bool withContent) = 0;
    // The page back buffer, page pixels at scale 1.
    virtual DrawingSurface& PageSurface() = 0;
    // A new note: the page gets its new size and the pen state is cleared.
    virtual void ResetPage() = 0;
    virtual void ScrollToOrigin() = 0;
    // The page has ink (or pictures): the line spacing can no longer change.
    virtual void SetHasInk(bool hasInk) = 0;
    // Writes every stroke as a device file; false when it cannot be written.
    virtual bool WriteDeviceFile(const QString& path) = 0;
    // Writes strokes firstStroke..endStroke-1 as a device file; false when it cannot be written.
    virtual bool WriteDeviceFile(const QString& path, int firstStroke, int endStroke) = 0;
    // Replays a device file onto the page now, adding its strokes to those there. False, after
    // any message, when the file could not be read or the view cannot replay.
    virtual bool ImportDeviceFile(const QString& path) = 0;
    // The device file to import once the window has settled (after 250 ms).
    virtual void ScheduleDeviceImport(const QString& path) = 0;
    // Drops a scheduled import that has not started: another page or note came first.
    virtual void CancelDeviceImport() = 0;
    // Writes the page's printed sheets as a PDF file, one page a sheet; false when it cannot be
    // written (or the view has no page to print).
    virtual bool WritePdf(const QString& path) { return false; }
    // The frozen picture of the screen that desktop mode writes on, screen pixels (its viewport
    // origin puts the desktop's top-left corner on the bitmap's); null when there is none.
    virtual const DrawingSurface* FrozenScreen() { return nullptr; }
    // Desktop mode: the window and the overlay step aside while the mail program has the
    // screen, and come back after.
    virtual void BeginDesktopMail() {}
    virtual void EndDesktopMail() {}
    // The mode of the frame that shows the view.
    virtual FrameMode GetFrameMode() const = 0;
    // The document's title changed (the frame shows it).
    virtual void TitleChanged(const QString& title) = 0;
};
