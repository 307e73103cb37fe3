#pragma once
// The pencil and brush ink renderer. It thins the input points, smooths them with quadratic
// Bézier curves from midpoint to midpoint, samples each curve, and stamps a small anti-aliased
// nib at every sample, blending each pixel with what the surface already shows.
//
// Units: input points and surfaces are pixels (page pixels at zoom 1.0, or the same points
// drawn on a zoomed window); curve positions are kept in 1/256 pixel; widths are distance
// units where one pixel is m_softness units (100..300) wide. Callers give widths 0..255.
//
// One renderer serves one stroke at a time: DrawSegment with Segment::First starts a stroke.

#include "ListedNibs.h"
#include "platform/ColorRef.h"
#include "platform/Rect.h"

#include <array>
#include <cmath>

class DrawingSurface;

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define INKLEAF_AVX2_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define INKLEAF_AVX2_CLONES
#endif

class InkRenderer {
public:
    static constexpr int kNibSize = 13;       // nib masks are 13 × 13 pixels
    static constexpr int kNibReach = 6;       // offsets -6..6 around the sample
    static constexpr int kHistorySize = 20;

    using NibMask = std::array<DWORD, kNibSize>;  // row r: dy = r - 6; bit b: dx = 6 - b

    // Where an input point stands in its stroke.
    enum class Segment {
        First,   // starts the stroke: a disc at the point
        Middle,  // continues it
        Last,    // ends it: the last curve runs to the point and tapers
    };

    struct HistoryEntry {
        POINT fixed;  // 1/256 pixel
        POINT pixel;
        LONG width = 0;
    };

    // Takes input point (x1, y1), whose predecessor is (x0, y0), and draws what it completes.
    // (x0, y0) is not used for the first point. Widths are halved first when pressureMax > 256.
    // zoom scales page pixels onto dc (0.5, 1, 2, 4). Returns 0.
    LONG DrawSegment(DrawingSurface* dc, LONG x0, LONG y0, LONG x1, LONG y1, SHORT width, COLORREF color,
                     Segment phase, LONG pressureMax, float zoom);

    // Blends the pixel (x, y) (page pixels) d distance units from the ink's centre line.
    void PlotPixel(DrawingSurface* dc, LONG x, LONG y, LONG d);
    // Stamps a whole round nib of width w at pixel (x, y).
    void StampDisc(DrawingSurface* dc, LONG x, LONG y, LONG w);
    // Stamps the pixels of the new mask around (x, y); d0 is the centre's distance, (sx, sy) the
    // direction signs (0, 0 for a round nib) and (kx, ky) the direction scales.
    void StampNib(DrawingSurface* dc, LONG x, LONG y, LONG d0, LONG sx, LONG sy, LONG kx, LONG ky);
    // Recomputes the new mask for the step from pixel (px, py) to (x, y); (dxf, dyf) is the step in
    // 1/256 pixel.
    void UpdateNibMasks(LONG px, LONG py, LONG x, LONG y, LONG dxf, LONG dyf);
    // The nib's direction scales for a step of a across and b down (both ≥ 0, 1/256 pixel):
    // kx = LONG(cos θ × softness) and ky = LONG(sin θ × softness), θ = atan2(a, b), taken from
    // a square root where that truncates alike and from the trigonometry otherwise.
    static void DirectionScales(LONG a, LONG b, LONG softness, LONG& kx, LONG& ky);
    // The angle at p2 between p1 and p3 in whole degrees, 0..180; 180 is a straight line.
    LONG TurnAngle(POINT p1, POINT p2, POINT p3) const;
    // Whether TurnAngle(p1, p2, p3) is below 130 degrees, the bound for a corner, worked out
    // without trigonometry unless the turn is within a few degrees of it.
    bool SharpTurn(POINT p1, POINT p2, POINT p3) const;
    // The point at t on the quadratic curve p0, p1, p2; a coordinate alike at all three stays
    // exactly as it is.
    static POINT Bezier(POINT p0, POINT p1, POINT p2, float t)
    {
        const auto coordinate = [t](LONG a, LONG b, LONG c) {
            return a == b && b == c ? a : BezierCoordinate(float(a), float(b), float(c), t);
        };
        return {coordinate(p0.x, p1.x, p2.x), coordinate(p0.y, p1.y, p2.y)};
    }
    // One coordinate of the curve at t, as every sample of a curve works it out: here, to be
    // inlined into the loop that does so a block of samples at a time.
    static LONG BezierCoordinate(float a, float b, float c, float t)
    {
        const float u = 1.0f - t;
        return LONG(u * u * a + 2 * t * u * b + t * t * c);
    }

    // The direction templates 1..4 of the nib masks.
    static NibMask DirectionTemplate(int index);
    // The number of the masks a step of (x, y) makes from a mask that is template from (0 for
    // none) to template to: such masks are alike every time. -1 for other steps and masks.
    static int NibKey(int from, int to, LONG x, LONG y);

    // State readable by tests and the canvas.
    const NibMask& CurMask() const;
    const NibMask& NewMask() const;
    const NibMask& PrevMask() const;
    LONG Softness() const { return m_softness; }
    LONG Width() const { return m_width; }
    LONG ZoomUp() const { return m_zoomUp; }
    LONG ZoomDown() const { return m_zoomDown; }
    LONG WidthEnd() const { return m_widthEnd; }
    // Where the ink drawn so far ends (dc pixels before the zoom): the first point's disc, then
    // the end of the last curve. The points taken since wait for the next curve.
    POINT DrawnEnd() const { return m_ptDrawn; }
    void SetWidth(LONG width) { m_width = width; }
    void SetSoftness(LONG softness) { m_softness = softness; }
    void SetNewMask(const NibMask& mask)
    {
        m_newMask = mask;
        m_newKey = -1;
    }
    void SetCurMask(const NibMask& mask)
    {
        m_curMask = mask;
        m_curTemplate = -1;
    }
    void SetDiscDone(bool done) { m_discDone = done ? 1 : 0; }
    // The rectangle of dc pixels (logical, before the surface's viewport origin) that the
    // renderer may have written since the last call, and none from then on; empty when it
    // wrote nothing. Lets a window repaint only what the ink changed.
    CRect TakeTouchedRect();
    // Running totals since construction, for measuring: curves drawn and curve samples that
    // landed on a new pixel (each stamps one nib).
    DWORD CurvesDrawn() const { return m_curvesDrawn; }
    DWORD SamplesStamped() const { return m_samplesStamped; }

private:
    void Setup(SHORT& width, COLORREF color, LONG pressureMax, float zoom);
    void StartStroke(DrawingSurface* dc, LONG x1, LONG y1, LONG width);
    void ForgetPreviousStroke();
    void StartCurve(LONG x0, LONG y0, LONG x1, LONG y1, LONG width);
    void TakeControlPoint(DrawingSurface* dc, LONG x1, LONG y1, LONG width, Segment phase);
    void TakeMidPoint(DrawingSurface* dc, LONG x1, LONG y1, LONG width, Segment phase);
    void DrawCurve(DrawingSurface* dc);
    void StampTinyCurve(DrawingSurface* dc);
    void RestampCorner(DrawingSurface* dc);
    // sharp: the curve's start or its control point is a corner.
    void SampleCurve(DrawingSurface* dc, bool sharp);
    // (kx, ky): the direction scales of the step from prev to s.
    [[gnu::always_inline]] inline void StampNibInlined(DrawingSurface* dc, LONG x, LONG y, LONG d0, LONG sx, LONG sy,
                                                       LONG kx, LONG ky);
    void StampNibGeneral(DrawingSurface* dc, LONG x, LONG y, LONG d0, LONG sx, LONG sy, LONG kx, LONG ky, LONG reach);
    [[gnu::always_inline]] inline void NextNibMasks(LONG px, LONG py, LONG x, LONG y, LONG dxf, LONG dyf);
    [[gnu::always_inline]] inline void StampSample(DrawingSurface* dc, POINT s, POINT prev, LONG x, LONG y, bool sharp,
                                                   LONG kx, LONG ky);
    // The two vectorised loops of a block of samples, built for AVX2 as well: without FMA it
    // rounds as the baseline does.
    INKLEAF_AVX2_CLONES static void StepDirections(const LONG* xs, const LONG* ys, const int* stamped,
                                                   const LONG* widths, int listed, POINT prev, double* alongX,
                                                   double* alongY);
    // DirectionScales with its two products, softness × b / h and softness × a / h, given.
    [[gnu::always_inline]] static inline void DirectionScalesOf(LONG a, LONG b, LONG softness, double fx, double fy,
                                                                LONG& kx, LONG& ky);
    INKLEAF_AVX2_CLONES static void CurveCoordinates(LONG a, LONG b, LONG c, LONG first, LONG last, LONG* out);
    void PushHistory(POINT fixed, POINT pixel, LONG width);
    const LONG* RoundDistances(LONG ky);
    struct RoundMasks {
        bool ready = false;
        LONG scale = 0;  // the ky and m_width they were made for
        LONG width = 0;
        NibMask cover{};  // offsets far enough in to count as covered
        NibMask ink{};    // offsets the ink changes
    };
    const RoundMasks& RoundMasksFor(const LONG* round, LONG ky);
    static const std::array<RoundMasks, 256>& DiscMasks();  // by width, at that width's softness
    static void MakeRoundMasks(const LONG* round, LONG ky, LONG width, RoundMasks& masks);
    // centred: the masks when d0 is 0, else null.
    void MarkRoundCoverage(LONG d0, const LONG* round, const RoundMasks* centred, LONG reach);
    // round: RoundDistances for a round nib, null for a directed one of scales (stepX, stepY);
    // changed, when given: per row, the offsets the ink changes (the others are left alone).
    template <bool Round>
    void BlendNib(DrawingSurface* dc, LONG x, LONG y, LONG d0, LONG stepX, LONG stepY, const LONG* round,
                  const DWORD* changed, LONG reach);
    template <bool Round>
    void BlendUnitNib(DrawingSurface* dc, LONG x, LONG y, LONG d0, LONG stepX, LONG stepY, const LONG* round,
                      const DWORD* changed, LONG reach);
    void BlendGathered(QRgb* const* where, const LONG* weight, int count) const;
    [[gnu::always_inline]] static inline QRgb* WholeNibCentre(DrawingSurface* dc, LONG x, LONG y, LONG reach);
    [[gnu::always_inline]] inline bool BlendListedNib(DrawingSurface* dc, LONG x, LONG y, LONG d0, LONG stepX,
                                                      LONG stepY, LONG reach);
    bool WholeNewMask() const;
    bool BlendListedDisc(DrawingSurface* dc, LONG x, LONG y, const RoundMasks& masks, const LONG* round, LONG reach);
    bool BlendListedRound(DrawingSurface* dc, LONG x, LONG y, const LONG* round, LONG ky, LONG reach);
    void StampNibReduced(DrawingSurface* dc, LONG x, LONG y, LONG d0, LONG stepX, LONG stepY, const LONG* round,
                         LONG reach);
    [[gnu::always_inline]] inline void PrefetchNib(DrawingSurface* dc, LONG x, LONG y) const;
    [[gnu::always_inline]] inline void Touch(LONG x, LONG y, LONG reach);
    void FlushTouched();

    // The masks of most steps are alike every time: those are not copied here. A mask is the
    // table's while its number says so, and the member's when the number is -1.
    NibMask m_prevMask{};
    NibMask m_curMask{};
    NibMask m_newMask{};
    int m_curTemplate = 0;  // the direction template the current mask is, 0 for none; -1: m_curMask
    int m_newKey = -1;      // NibKey of the new mask; -1: m_newMask
    int m_prevKey = -1;     // NibKey of the step that made the previous mask; -1: m_prevMask
    POINT m_ptStart;
    POINT m_ptControl;
    POINT m_ptPrevControl;
    POINT m_ptEnd;
    POINT m_ptLast;
    POINT m_ptCorner;
    POINT m_ptDrawn{};
    POINT m_fxStart;  // 1/256 pixel
    POINT m_fxEnd;    // 1/256 pixel
    SHORT m_red = 255;
    SHORT m_green = 132;
    SHORT m_blue = 0;
    LONG m_zoomUp = 1;
    LONG m_zoomDown = 1;
    LONG m_parity = 1;
    LONG m_softness = 100;
    LONG m_width = 0;
    LONG m_widthStart = 0;
    LONG m_widthMid = 0;
    LONG m_widthEnd = 0;
    LONG m_widthNext = 0;
    LONG m_steps = 0;
    bool m_lastSharp = false;  // the last curve drawn ended in a corner
    double m_pi = 4 * std::atan2(1.0, 1.0);
    LONG m_discDone = 0;
    LONG m_nearCorner = 0;
    LONG m_cornerStamp = 0;
    LONG m_started = 1;
    LONG m_curveDrawn = 1;
    std::array<HistoryEntry, kHistorySize> m_history{};
    LONG m_historyIndex = -1;  // newest entry; -1 while empty
    LONG m_historyCount = 0;
    DWORD m_curvesDrawn = 0;
    DWORD m_samplesStamped = 0;
    CRect m_touched;  // dc pixels
    CRect m_pendingTouch;  // this renderer's pixels, not yet in m_touched
    bool m_touchPending = false;
    std::array<LONG, kNibSize * kNibSize> m_roundDistances{};
    LONG m_roundScale = 0;  // the ky m_roundDistances holds, once m_roundReady
    bool m_roundReady = false;
    std::array<RoundMasks, 4> m_roundMasks;  // for discs of another width than the ink's
    size_t m_nextRoundMasks = 0;              // the one made next
};
