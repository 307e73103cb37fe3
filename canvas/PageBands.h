#pragma once
// A page drawn in horizontal bands, each on a thread of its own. Ink blends with what a pixel
// already shows, so a pixel's colour depends only on the order of the operations on it: every
// band draws everything in the same order, clipped to its own rows, and the pixels come out
// exactly as drawing the whole page on one thread gives them.

#include "platform/DrawingSurface.h"

#include <cstdint>
#include <functional>
#include <vector>

class PageBands {
public:
    // Draws band (logical rows of the surface, its whole width) on part, a surface over the
    // page's pixels clipped to the band. Runs on a worker thread when there are several bands.
    using DrawBand = std::function<void(DrawingSurface& part, const CRect& band)>;
    // Hears on the calling thread of each band drawn (logical), in the order they finish.
    using BandDrawn = std::function<void(const CRect& band)>;

    // Bands for drawing area (logical) on this machine: a few per processor the system
    // reports, for an even share of the ink; one, on the calling thread, for small areas and on
    // a machine of one processor, where threads would cost more than they save.
    static int BandCount(const CRect& area);

    // The work of drawing each row of an area, top to bottom, in any unit.
    using RowWork = std::vector<int64_t>;

    // Draws area (logical) of dc in bands (1: on the calling thread) whose edges lie on
    // multiples of rowStep logical rows (one page pixel at the zoom dc is drawn at). Returns once
    // every band is drawn; drawn, when given, hears of each band as it is done. An exception
    // thrown while drawing a band is thrown again here once every thread has stopped.
    // rowWork, when it holds a value for each row of area, gives each band about an equal share of
    // it; otherwise the bands are about equally high. cutWork, when it holds a value for each row,
    // is the work a band edge above that row adds (what both bands then draw): each edge moves
    // by up to kCutSearch steps of rows to where that is least.
    static void Draw(DrawingSurface& dc, const CRect& area, int bands, LONG rowStep, const DrawBand& draw,
                     const BandDrawn& drawn = {}, const RowWork& rowWork = {}, const RowWork& cutWork = {});

    static constexpr LONG kSmallArea = 512 * 512;  // pixels; drawn on one thread
    static constexpr LONG kMinBandRows = 64;
    static constexpr int kBandsPerThread = 2;
    static constexpr LONG kCutSearch = 48;
};
