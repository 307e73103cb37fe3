#pragma once
// The page drawn afresh at a zoom of 2 or 4 for sharper output (PDF and PNG exports): the
// ruling and the pictures scaled, every stroke drawn again by the ink renderer at that zoom, as
// the window draws live ink. At zoom 1 the page buffer itself is the picture.

#include "document/IDocumentView.h"
#include "platform/DrawingSurface.h"

#include <optional>

class CLines;
class CPictureList;

class ZoomedPage {
public:
    // Whether a page can be drawn at zoom within the page buffer's limit of pixels.
    static bool IsZoomAllowed(const CRect& page, int zoom);

    // Draws the page of settings with its pictures and strokes at zoom (2 or 4) into
    // surface (page pixels × zoom). False, drawing nothing, when the zoom is not one of those
    // or the page would be too large (IsZoomAllowed).
    // The pictures and strokes go in bands (0: as many as PageBands::BandCount gives) drawn
    // side by side on the processors.
    static bool Draw(const PageSettings& settings, const CPictureList& pictures, const CLines& lines, int zoom,
                     DrawingSurface& surface, int bands = 0);

private:
    static void DrawRuling(DrawingSurface& dc, const PageSettings& settings, int zoom);
    static void DrawPictures(DrawingSurface& dc, const CPictureList& pictures, int zoom);
    // The strokes whose ink can reach band (rows of dc), drawn whole on dc clipped to band.
    static void DrawStrokes(DrawingSurface& dc, const CLines& lines, int zoom, const CRect& band);
};
