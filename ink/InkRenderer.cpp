#include "InkRenderer.h"

#include "InkBlend.h"
#include "ListBlend.h"
#include "ListedNibs.h"
#include "platform/DrawingSurface.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <type_traits>


namespace {

// Points further out than this cannot be on any page; clamping keeps 1/256-pixel arithmetic
// inside 32 bits for damaged input, the sum of two clamped coordinates included.
constexpr LONG kCoordinateLimit = (1 << 22) - 1;
// A curve between two pen samples is never longer than a few thousand pixels; this bound
// only stops a damaged stroke from sampling for minutes.
constexpr LONG kMaxCurveSamples = 1 << 18;

LONG Chebyshev(LONG dx, LONG dy)
{
    return std::max(std::abs(dx), std::abs(dy));
}

LONG ClampCoordinate(LONG v)
{
    return std::clamp(v, -kCoordinateLimit, kCoordinateLimit);
}

// 255 / softness: the whole pixels the ink's softest edge spans. Every softness a width gives
// (100..300) is answered without a division, which costs as much as the rest of a stamp's
// bookkeeping.
constexpr LONG WholePixelsOf(LONG softness)
{
    if (softness >= 86 && softness <= 510)
        return LONG(softness < 128) + LONG(softness < 256);
    return 255 / softness;
}

constexpr bool WholePixelsAgree()
{
    for (LONG softness = 1; softness <= 1000; ++softness)
        if (WholePixelsOf(softness) != 255 / softness)
            return false;
    return true;
}
static_assert(WholePixelsAgree());

// How many distance units one pixel is for ink of width w: 300 for the thinnest, 100 for the
// widest. Widths 0..255 come from a table, as this is asked for every stamp.
constexpr LONG SoftnessFormula(LONG w)
{
    return 100 + ((255 - w) * 200) / 255;
}

struct SoftnessTable {
    std::array<LONG, 256> of{};
    constexpr SoftnessTable()
    {
        for (LONG w = 0; w <= 255; ++w)
            of[size_t(w)] = SoftnessFormula(w);
    }
};
constexpr SoftnessTable kSoftness;

LONG SoftnessOf(LONG w)
{
    return w >= 0 && w <= 255 ? kSoftness.of[size_t(w)] : SoftnessFormula(w);
}

bool WithinOnePixel(LONG x, LONG y, POINT p)
{
    return std::abs(x - p.x) < 2 && std::abs(y - p.y) < 2;
}

// Whether v lies clear of the integers, so that truncating it gives the same as truncating any
// value within a billionth of it.
bool ClearOfIntegers(double v)
{
    // Below 2^31 and not negative, as the products of a softness are, the floor is the
    // conversion to an integer, which needs no call into the maths library.
    const double whole = v >= 0 && v < 2147483648.0 ? double(LONG(v)) : std::floor(v);
    const double fraction = v - whole;
    return fraction > 1e-9 && fraction < 1 - 1e-9;
}

// softness × cos θ and softness × sin θ for a step of a across and b down: cos θ = b / h and
// sin θ = a / h, h the step's length, within a few units in the last place of the library's
// functions. One division for both: the products stay within a few units in the last place.
inline void DirectionProducts(double a, double b, double softness, double& fx, double& fy)
{
    const double perLength = 1.0 / std::sqrt(a * a + b * b);
    fx = softness * (b * perLength);
    fy = softness * (a * perLength);
}

// Distance of each nib offset from the centre, indexed [dy + 6][dx + 6].
struct OffsetDistances {
    double value[InkRenderer::kNibSize][InkRenderer::kNibSize];
    OffsetDistances()
    {
        for (int dy = -InkRenderer::kNibReach; dy <= InkRenderer::kNibReach; ++dy)
            for (int dx = -InkRenderer::kNibReach; dx <= InkRenderer::kNibReach; ++dx)
                value[dy + InkRenderer::kNibReach][dx + InkRenderer::kNibReach] = std::sqrt(double(dx * dx + dy * dy));
    }
};
const OffsetDistances g_distance;

// Distance of offset (dx, dy) from the ink's centre line: round nibs measure from the centre
// (roundDistances, from RoundDistances), directed ones across the direction of motion, (stepX,
// stepY) the direction's scales.
template <bool Round>
LONG NibDistance(LONG dx, LONG dy, LONG d0, LONG stepX, LONG stepY, const LONG* roundDistances)
{
    if constexpr (Round)
        return roundDistances[(dy + InkRenderer::kNibReach) * InkRenderer::kNibSize + dx + InkRenderer::kNibReach] + d0;
    else
        return dx * stepX - dy * stepY + d0;
}

// The round nib's distances for every softness a width gives (StampDisc's m_softness), as
// RoundDistances works them out.
struct RoundTables {
    static constexpr LONG kFirstScale = 100;
    static constexpr LONG kLastScale = 300;
    std::array<LONG, InkRenderer::kNibSize * InkRenderer::kNibSize> distances[kLastScale - kFirstScale + 1];
    RoundTables()
    {
        for (LONG ky = kFirstScale; ky <= kLastScale; ++ky)
            for (int r = 0; r < InkRenderer::kNibSize; ++r)
                for (int c = 0; c < InkRenderer::kNibSize; ++c)
                    distances[ky - kFirstScale][size_t(r * InkRenderer::kNibSize + c)] = LONG(g_distance.value[r][c] * ky);
    }
};
const RoundTables g_roundTables;
static_assert(RoundTables::kFirstScale == ListedNibs::kFirstScale && RoundTables::kLastScale == ListedNibs::kLastScale);

int64_t FloorDiv(int64_t a, int64_t b)
{
    const int64_t q = a / b;
    return q * b > a ? q - 1 : q;
}

int64_t CeilDiv(int64_t a, int64_t b)
{
    return -FloorDiv(-a, b);
}

// The nib's bits dx = lo..hi (lo <= hi, both within the nib's reach).
DWORD ColumnBits(LONG lo, LONG hi)
{
    return ((1u << (hi - lo + 1)) - 1) << (InkRenderer::kNibReach - hi);
}

struct Templates {
    InkRenderer::NibMask mask[5]{};  // 0: none
    Templates()
    {
        for (int i = 1; i <= 4; ++i)
            mask[i] = InkRenderer::DirectionTemplate(i);
    }
};
const Templates g_templates;

// The coverage of the previous sample moved into the frame of one a step of (shiftX, shiftY)
// on, and the offsets of the next template it leaves uncovered.
void MoveNibMasks(const InkRenderer::NibMask& previous, const InkRenderer::NibMask& next, LONG shiftX, LONG shiftY,
                  InkRenderer::NibMask& moved, InkRenderer::NibMask& fresh)
{
    // The coverage in a block of 16 rows between two blocks of zeros, so that moving it reads
    // rows moved in from outside as 0. Loops of 16 rows compile to a few vector operations.
    constexpr int kSize = InkRenderer::kNibSize;
    constexpr int kBlock = 16;
    DWORD padded[3 * kBlock] = {};
    for (int r = 0; r < kSize; ++r)
        padded[kBlock + r] = previous[size_t(r)];
    // Every row by |shiftX| bits, then by |shiftY| rows.
    DWORD rows[kBlock] = {};
    if (shiftY < kSize && shiftY > -kSize && shiftX < kSize && shiftX > -kSize) {
        const DWORD* source = padded + kBlock + shiftY;
        if (shiftX > 0) {
            for (int r = 0; r < kBlock; ++r)
                rows[r] = (source[r] << shiftX) & 0x1FFF;
        } else {
            for (int r = 0; r < kBlock; ++r)
                rows[r] = source[r] >> -shiftX;
        }
    }
    std::copy_n(rows, kSize, moved.begin());
    for (int r = 0; r < kSize; ++r)
        fresh[size_t(r)] = next[size_t(r)] & ~moved[size_t(r)] & 0x1FFF;
}

// Bit k set where sample k + 1 of a block of 16 lies on another pixel than sample k: pixelX and
// pixelY hold 17 samples, the one before the block first.
uint32_t MovedSamples(const LONG* pixelX, const LONG* pixelY)
{
#if defined(__SSE2__)
    static_assert(sizeof(LONG) == 4);
    uint32_t same = 0;
    for (int q = 0; q < 4; ++q) {
        const auto load = [q](const LONG* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 4 * q)); };
        const __m128i sameX = _mm_cmpeq_epi32(load(pixelX + 1), load(pixelX));
        const __m128i sameY = _mm_cmpeq_epi32(load(pixelY + 1), load(pixelY));
        same |= uint32_t(_mm_movemask_ps(_mm_castsi128_ps(_mm_and_si128(sameX, sameY)))) << (4 * q);
    }
    return ~same & 0xFFFFu;
#else
    uint32_t moved = 0;
    for (int k = 0; k < 16; ++k)
        moved |= uint32_t((pixelX[k + 1] != pixelX[k]) | (pixelY[k + 1] != pixelY[k])) << k;
    return moved;
#endif
}

// The masks of every step NibKey numbers, worked out once.
struct StepMasks {
    struct Masks {
        InkRenderer::NibMask previous;
        InkRenderer::NibMask fresh;
    };
    std::array<Masks, ListedNibs::kKeys> masks;
    StepMasks()
    {
        for (int from = 0; from <= 4; ++from)
            for (int to = 1; to <= 4; ++to)
                for (LONG x = -1; x <= 1; ++x)
                    for (LONG y = -1; y <= 1; ++y) {
                        Masks& m = masks[size_t(InkRenderer::NibKey(from, to, x, y))];
                        MoveNibMasks(g_templates.mask[from], g_templates.mask[to], x, y, m.previous, m.fresh);
                    }
    }
};
const StepMasks g_stepMasks;

}  // namespace

InkRenderer::NibMask InkRenderer::DirectionTemplate(int index)
{
    NibMask mask{};
    for (int r = 0; r < kNibSize; ++r) {
        const DWORD growing = (1u << (r + 1)) - 1;             // r + 1 bits
        const DWORD shrinking = (1u << (kNibSize - r)) - 1;    // 13 - r bits
        switch (index) {
        case 1: mask[r] = growing << (12 - r); break;          // r + 1 highest bits
        case 2: mask[r] = growing; break;                      // r + 1 lowest bits
        case 3: mask[r] = shrinking; break;                    // 13 - r lowest bits
        case 4: mask[r] = shrinking << r; break;               // 13 - r highest bits
        default: break;
        }
    }
    return mask;
}

void InkRenderer::Setup(SHORT& width, COLORREF color, LONG pressureMax, float zoom)
{
    m_nearCorner = 0;
    if (pressureMax > 256)
        width = SHORT(width / 2);
    // Widths outside 0..255 would drive m_softness to zero and below.
    width = std::clamp<SHORT>(width, 0, 255);
    m_red = GetRValue(color);
    m_green = GetGValue(color);
    m_blue = GetBValue(color);
    if (!(zoom > 0))
        zoom = 1.0f;
    const LONG up = zoom >= 1.0f ? LONG(zoom) : 1;
    const LONG down = zoom >= 1.0f ? 1 : LONG(1 / zoom);
    if (up != m_zoomUp || down != m_zoomDown)
        FlushTouched();  // what was stamped so far was stamped at the old zoom
    m_zoomUp = up;
    m_zoomDown = down;
}

LONG InkRenderer::DrawSegment(DrawingSurface* dc, LONG x0, LONG y0, LONG x1, LONG y1, SHORT width,
                              COLORREF color, Segment phase, LONG pressureMax, float zoom)
{
    Setup(width, color, pressureMax, zoom);
    x0 = ClampCoordinate(x0);
    y0 = ClampCoordinate(y0);
    x1 = ClampCoordinate(x1);
    y1 = ClampCoordinate(y1);

    if (phase == Segment::First) {
        StartStroke(dc, x1, y1, width);
        return 0;
    }
    if (m_started == 0) {
        StartCurve(x0, y0, x1, y1, width);
        return 0;
    }
    if (x0 == x1 && y0 == y1)
        return 0;
    m_parity = (m_parity + 1) % 2;
    if (m_parity == 0)
        TakeControlPoint(dc, x1, y1, width, phase);
    else
        TakeMidPoint(dc, x1, y1, width, phase);
    return 0;
}

// The first point: a disc. What the previous stroke left behind (its control
// points, turn angle and samples) is forgotten first, so a stroke looks the same every time it
// is drawn, whatever was drawn before it.
void InkRenderer::StartStroke(DrawingSurface* dc, LONG x1, LONG y1, LONG width)
{
    ForgetPreviousStroke();
    m_started = 0;
    m_curTemplate = 0;
    m_ptEnd = {x1, y1};
    m_ptDrawn = m_ptEnd;
    m_width = m_widthEnd = width;
    StampDisc(dc, x1, y1, width);
    m_ptCorner = {0, 0};
}

void InkRenderer::ForgetPreviousStroke()
{
    const InkRenderer fresh;
    m_ptStart = fresh.m_ptStart;
    m_ptControl = fresh.m_ptControl;
    m_ptPrevControl = fresh.m_ptPrevControl;
    m_ptLast = fresh.m_ptLast;
    m_fxStart = fresh.m_fxStart;
    m_lastSharp = fresh.m_lastSharp;
    m_discDone = fresh.m_discDone;
    m_cornerStamp = fresh.m_cornerStamp;
    m_prevMask = fresh.m_prevMask;
    m_newMask = fresh.m_newMask;
    m_newKey = -1;
    m_prevKey = -1;
    m_historyIndex = fresh.m_historyIndex;
    m_historyCount = fresh.m_historyCount;
}

// The second point only starts the curve state; nothing is drawn.
void InkRenderer::StartCurve(LONG x0, LONG y0, LONG x1, LONG y1, LONG width)
{
    m_ptEnd = {x0, y0};
    m_fxEnd = {x0 * 256, y0 * 256};
    m_ptLast = {x1, y1};
    m_started = m_parity = 1;
    m_curveDrawn = 0;
    m_widthNext = width;
    m_steps = Chebyshev(x1 - x0, y1 - y0);
}

// Every other point becomes the control point of the next curve.
void InkRenderer::TakeControlPoint(DrawingSurface* dc, LONG x1, LONG y1, LONG width, Segment phase)
{
    if (phase != Segment::Last && WithinOnePixel(x1, y1, m_ptLast)) {
        m_parity = 1;  // the next point is again a control point candidate
        return;
    }
    m_widthStart = m_widthEnd;
    m_ptStart = m_ptEnd;
    m_fxStart = m_fxEnd;
    m_widthMid = m_widthNext;
    m_widthEnd = width;
    m_ptPrevControl = m_ptControl;
    m_ptControl = m_ptLast;
    m_ptEnd = {x1, y1};
    m_steps += Chebyshev(x1 - m_ptControl.x, y1 - m_ptControl.y);
    if (phase != Segment::Last)
        return;
    m_fxEnd = {x1 * 256, y1 * 256};
    if (width > 30)
        m_widthEnd = 30;  // strokes taper at their end
    DrawCurve(dc);
}

// The other points close the pending curve at the midpoint towards them.
void InkRenderer::TakeMidPoint(DrawingSurface* dc, LONG x1, LONG y1, LONG width, Segment phase)
{
    if (phase != Segment::Last && WithinOnePixel(x1, y1, m_ptEnd)) {
        m_parity = 2;  // the next point is again a midpoint candidate
        return;
    }
    m_widthNext = width;
    m_ptEnd = {(m_ptControl.x + x1) / 2, (m_ptControl.y + y1) / 2};
    m_fxEnd = {((m_ptControl.x + x1) * 256) / 2, ((m_ptControl.y + y1) * 256) / 2};
    m_ptLast = {x1, y1};
    if (m_ptEnd == m_ptControl || m_ptEnd == m_ptLast) {
        m_parity = 2;
        return;
    }
    if (phase == Segment::Last) {
        m_ptEnd = {x1, y1};
        m_fxEnd = {x1 * 256, y1 * 256};
        m_steps = 2 * Chebyshev(m_ptStart.x - x1, m_ptStart.y - y1);
        if (m_widthEnd > 30)
            m_widthEnd = 30;
    }
    DrawCurve(dc);
}

void InkRenderer::DrawCurve(DrawingSurface* dc)
{
    if (std::abs(m_ptStart.x - m_ptControl.x) < 3 && std::abs(m_ptStart.y - m_ptControl.y) < 3
        && std::abs(m_ptControl.x - m_ptEnd.x) < 3 && std::abs(m_ptControl.y - m_ptEnd.y) < 3
        && m_widthMid > 70)
        StampTinyCurve(dc);

    const bool sharpC = SharpTurn(m_ptStart, m_ptControl, m_ptEnd);
    const bool sharpS = SharpTurn(m_ptPrevControl, m_ptStart, m_ptControl);
    if (sharpC || sharpS) {
        m_ptCorner = sharpC ? m_ptControl : m_ptStart;
        RestampCorner(dc);
    }
    SampleCurve(dc, sharpC || sharpS);
    ++m_curvesDrawn;
    m_ptDrawn = m_ptEnd;

    m_curveDrawn = 1;
    m_steps = Chebyshev(m_ptLast.x - m_ptEnd.x, m_ptLast.y - m_ptEnd.y);
    m_lastSharp = sharpC;
}

// A wide nib on a curve of a few pixels: discs at its points and between them.
void InkRenderer::StampTinyCurve(DrawingSurface* dc)
{
    StampDisc(dc, m_ptStart.x, m_ptStart.y, m_widthStart);
    StampDisc(dc, m_ptControl.x, m_ptControl.y, m_widthMid);
    StampDisc(dc, m_ptEnd.x, m_ptEnd.y, m_widthEnd);
    const POINT m1 = {(m_ptStart.x + m_ptControl.x) / 2, (m_ptStart.y + m_ptControl.y) / 2};
    if (m1 != m_ptStart && m1 != m_ptControl)
        StampDisc(dc, m1.x, m1.y, (m_widthMid + m_widthStart) / 2);
    const POINT m2 = {(m_ptEnd.x + m_ptControl.x) / 2, (m_ptEnd.y + m_ptControl.y) / 2};
    if (m2 != m_ptControl && m2 != m_ptEnd)
        StampDisc(dc, m2.x, m2.y, (m_widthMid + m_widthEnd) / 2);
}

// Wide samples just before a sharp turn are stamped again as discs to round the corner.
void InkRenderer::RestampCorner(DrawingSurface* dc)
{
    for (LONG k = 1; k <= 3; ++k) {
        if (m_historyCount <= k)
            break;
        const HistoryEntry& entry = m_history[size_t((m_historyIndex - k + kHistorySize) % kHistorySize)];
        const LONG reach = WholePixelsOf(m_softness) + 6;
        if (entry.width >= 151 && std::abs(entry.pixel.x - m_ptCorner.x) < reach
            && std::abs(entry.pixel.y - m_ptCorner.y) < reach)
            StampDisc(dc, entry.pixel.x, entry.pixel.y, entry.width);
    }
}

void InkRenderer::PushHistory(POINT fixed, POINT pixel, LONG width)
{
    m_historyIndex = m_historyIndex + 1 == kHistorySize ? 0 : m_historyIndex + 1;
    m_history[size_t(m_historyIndex)] = {fixed, pixel, width};
    m_historyCount = std::min<LONG>(m_historyCount + 1, kHistorySize);
}

void InkRenderer::SampleCurve(DrawingSurface* dc, bool sharp)
{
    LONG n = m_steps < 20 ? m_steps * 4 : m_steps * 3;
    n = std::min(n, kMaxCurveSamples);
    m_steps = n;
    const POINT control = {m_ptControl.x * 256, m_ptControl.y * 256};
    POINT prev = m_fxStart;
    POINT prevPixel = {m_fxStart.x >> 8, m_fxStart.y >> 8};
    int discsLeft = 3;
    // The surface in this renderer's pixels, grown by two nibs: a sample further out touches
    // nothing on it, nor does the coverage it hands on to the next sample. A curve through a
    // point far off the page (a damaged note) then costs no stamping out there.
    const POINT org = dc->GetViewportOrg();
    constexpr LONG kMargin = 2 * kNibReach + 4;
    const qint64 nearLeft = qint64(-org.x) * m_zoomDown / m_zoomUp - kMargin;
    const qint64 nearTop = qint64(-org.y) * m_zoomDown / m_zoomUp - kMargin;
    const qint64 nearRight = (qint64(dc->DeviceWidth()) - org.x) * m_zoomDown / m_zoomUp + kMargin;
    const qint64 nearBottom = (qint64(dc->DeviceHeight()) - org.y) * m_zoomDown / m_zoomUp + kMargin;
    // Positions come a block at a time, worked out in one vectorised loop. A sample is stamped
    // when its pixel differs from the one before: which do is worked out for the whole block
    // at once, and those are listed with their widths, start + (end - start) × i / n, and the
    // direction of the step to each, again in vectorised loops.
    constexpr LONG kBlock = 16;
    LONG xs[kBlock];
    LONG ys[kBlock];
    int stamped[kBlock + 1];
    LONG widths[kBlock + 1];
    double alongX[kBlock];
    double alongY[kBlock];
    const LONG ramp = m_widthEnd - m_widthStart;
    const double rampSize = double(std::abs(ramp));
    const double samples = double(std::max<LONG>(n, 1));
    for (LONG first = 1; first < n; first += kBlock) {
        CurveCoordinates(m_fxStart.x, control.x, m_fxEnd.x, first, n - 1, xs);
        CurveCoordinates(m_fxStart.y, control.y, m_fxEnd.y, first, n - 1, ys);
        const LONG count = std::min(kBlock, n - first);
        LONG pixelX[kBlock + 1];
        LONG pixelY[kBlock + 1];
        pixelX[0] = prevPixel.x;
        pixelY[0] = prevPixel.y;
        for (int k = 0; k < kBlock; ++k) {
            pixelX[k + 1] = xs[k] >> 8;
            pixelY[k + 1] = ys[k] >> 8;
        }
        uint32_t moved = MovedSamples(pixelX, pixelY) & ((1u << count) - 1);
        int listed = 0;
        for (; moved != 0; moved &= moved - 1)
            stamped[listed++] = std::countr_zero(moved);
        // |ramp| × i / n truncated: both below 2^26, so the quotient in doubles truncates alike.
        for (int j = 0; j < listed; ++j) {
            const LONG step = LONG(rampSize * double(first + stamped[j]) / samples);
            widths[j] = m_widthStart + (ramp < 0 ? -step : step);
        }
        StepDirections(xs, ys, stamped, widths, listed, prev, alongX, alongY);
        if (listed > 0)
            PrefetchNib(dc, xs[stamped[listed - 1]] >> 8, ys[stamped[listed - 1]] >> 8);
        for (int j = 0; j < listed; ++j) {
            const POINT s = {xs[stamped[j]], ys[stamped[j]]};
            const LONG x = s.x >> 8;
            const LONG y = s.y >> 8;
            m_width = widths[j];
            PushHistory(s, {x, y}, m_width);
            m_softness = SoftnessOf(m_width);
            if (x < nearLeft || x > nearRight || y < nearTop || y > nearBottom) {
                if (m_curveDrawn == 0 && discsLeft > 0)
                    --discsLeft;
                prev = s;
                prevPixel = {x, y};
                continue;
            }
            if (m_curveDrawn == 0 && discsLeft > 0) {
                --discsLeft;
                StampDisc(dc, x, y, m_width);
                m_discDone = 1;
                m_softness = SoftnessOf(m_width);
            }
            NextNibMasks(prevPixel.x, prevPixel.y, x, y, s.x - prev.x, s.y - prev.y);
            LONG kx, ky;
            DirectionScalesOf(std::abs(s.x - prev.x), std::abs(s.y - prev.y), m_softness, alongX[j], alongY[j], kx,
                              ky);
            StampSample(dc, s, prev, x, y, sharp, kx, ky);
            ++m_samplesStamped;
            prev = s;
            prevPixel = {x, y};
        }
    }
}

// The surface's rows around (x, y) (this renderer's pixels) are asked of memory ahead of the
// nibs that blend them: a stroke keeps reaching rows no nib of it has touched yet.
void InkRenderer::PrefetchNib(DrawingSurface* dc, LONG x, LONG y) const
{
    if (m_zoomUp != 1 || m_zoomDown != 1)
        return;
    const CRect& clip = dc->DeviceClipRect();
    const POINT org = dc->GetViewportOrg();
    const int64_t left = std::max<int64_t>(int64_t(x) + org.x - kNibReach, clip.left);
    const int64_t right = std::min<int64_t>(int64_t(x) + org.x + kNibReach, int64_t(clip.right) - 1);
    const int64_t top = std::max<int64_t>(int64_t(y) + org.y - kNibReach, clip.top);
    const int64_t bottom = std::min<int64_t>(int64_t(y) + org.y + kNibReach, int64_t(clip.bottom) - 1);
    if (left > right || top > bottom)
        return;
    // Every row of the nib's square, those past the clip's edge standing in for its last: a
    // loop of a fixed length, whose end is never guessed wrong.
    QRgb* const first = dc->DeviceScanLine(LONG(top));
    const qsizetype rowPixels = dc->DeviceRowPixels();
    for (int64_t k = 0; k < kNibSize; ++k) {
        const QRgb* line = first + std::min(k, bottom - top) * rowPixels;
        __builtin_prefetch(line + left, 1, 3);
        __builtin_prefetch(line + right, 1, 3);
    }
}

// For each listed sample, the two products DirectionScales truncates, for the step from the
// listed sample before it (from prev for the first): the same arithmetic in the same order.
INKLEAF_AVX2_CLONES void InkRenderer::StepDirections(const LONG* xs, const LONG* ys, const int* stamped,
                                                     const LONG* widths, int listed, POINT prev, double* alongX,
                                                     double* alongY)
{
    constexpr int kBlock = 16;
    double a[kBlock];
    double b[kBlock];
    double softness[kBlock];
    for (int j = 0; j < listed; ++j) {
        const int k = stamped[j];
        a[j] = double(std::abs(xs[k] - prev.x));
        b[j] = double(std::abs(ys[k] - prev.y));
        softness[j] = double(SoftnessOf(widths[j]));
        prev = {xs[k], ys[k]};
    }
    for (int j = 0; j < listed; ++j)
        DirectionProducts(a[j], b[j], softness[j], alongX[j], alongY[j]);
}

// Bezier's coordinate a, b, c at t = i / last for 16 samples from i = first on: the same
// arithmetic in the same order, laid out for the compiler to vectorise. Samples past the
// curve's end are worked out too and not used.
INKLEAF_AVX2_CLONES void InkRenderer::CurveCoordinates(LONG a, LONG b, LONG c, LONG first, LONG last, LONG* out)
{
    constexpr int kBlock = 16;
    if (a == b && b == c) {
        std::fill_n(out, kBlock, a);
        return;
    }
    const float fa = float(a);
    const float fb = float(b);
    const float fc = float(c);
    const float divisor = float(last);
    for (int k = 0; k < kBlock; ++k)
        out[k] = BezierCoordinate(fa, fb, fc, float(first + k) / divisor);
}

// Stamps the nib across the direction of motion, or round near a sharp corner.
void InkRenderer::StampSample(DrawingSurface* dc, POINT s, POINT prev, LONG x, LONG y, bool sharp, LONG kx, LONG ky)
{
    // -1 or 1 by the step's sign, and whether the sample is near the corner, by arithmetic: the
    // step's direction and the corner's distance change too often for a branch to guess.
    const LONG sx = ((s.x - prev.x) >> 31) | 1;
    const LONG sy = ((s.y - prev.y) >> 31) | 1;
    const LONG d0 = ((s.y & 0xFF) * ky * sy - (s.x & 0xFF) * kx * sx) >> 8;

    const LONG reach = WholePixelsOf(m_softness) + 3;
    const bool nearCorner = (std::abs(x - m_ptCorner.x) < reach) & (std::abs(y - m_ptCorner.y) < reach);
    const bool allSmooth = !m_lastSharp && !sharp;
    const bool corner = m_width > 70 && nearCorner && !allSmooth;
    if (corner && m_width >= 151) {
        StampDisc(dc, x, y, m_width);
        m_curTemplate = 0;
    } else {
        m_cornerStamp = corner ? 1 : 0;
        StampNibInlined(dc, x, y, d0, sx, sy, kx, ky);
        m_cornerStamp = 0;
    }
    m_nearCorner = corner ? 1 : 0;
}

void InkRenderer::DirectionScales(LONG a, LONG b, LONG softness, LONG& kx, LONG& ky)
{
    double fx, fy;
    DirectionProducts(double(a), double(b), double(softness), fx, fy);
    DirectionScalesOf(a, b, softness, fx, fy, kx, ky);
}

void InkRenderer::DirectionScalesOf(LONG a, LONG b, LONG softness, double fx, double fy, LONG& kx, LONG& ky)
{
    // Along an axis the angle is 0: cos 0 and sin 0 are exactly 1 and 0.
    if (a == 0) {
        kx = softness;
        ky = 0;
        return;
    }
    if (b == 0) {
        kx = 0;
        ky = softness;
        return;
    }
    // Where neither product is near an integer, both truncate as the library's would.
    if (ClearOfIntegers(fx) && ClearOfIntegers(fy)) {
        kx = LONG(fx);
        ky = LONG(fy);
        return;
    }
    if (a <= b) {
        const double theta = std::atan2(double(a), double(b));
        kx = LONG(std::cos(theta) * softness);
        ky = LONG(std::sin(theta) * softness);
    } else {
        const double theta = std::atan2(double(b), double(a));
        kx = LONG(std::sin(theta) * softness);
        ky = LONG(std::cos(theta) * softness);
    }
}

void InkRenderer::PlotPixel(DrawingSurface* dc, LONG x, LONG y, LONG d)
{
    if (m_zoomDown > 1 && ((x + 1) % m_zoomDown == 0 || (y + 1) % m_zoomDown == 0))
        return;
    LONG a = std::abs(d) + (-3 * m_width) / 2;
    if (a < 0)
        a = 0;
    if (a > 255)
        return;
    const COLORREF old = dc->GetPixel(x * m_zoomUp / m_zoomDown, y * m_zoomUp / m_zoomDown);
    if (old == CLR_INVALID)
        return;  // outside the surface: the write below would land nowhere as well
    const COLORREF color = QRgbToColorRef(InkBlend(m_red, m_green, m_blue).Over(ColorRefToQRgb(old), a));
    if (m_zoomUp > 1)
        dc->FillSolidRect(CRect(m_zoomUp * x, m_zoomUp * y, m_zoomUp * x + m_zoomUp, m_zoomUp * y + m_zoomUp), color);
    else
        dc->SetPixel(x / m_zoomDown, y / m_zoomDown, color);
}

void InkRenderer::StampDisc(DrawingSurface* dc, LONG x, LONG y, LONG w)
{
    m_newMask.fill(0x1FFF);
    m_newKey = -1;
    m_softness = SoftnessOf(w);
    StampNib(dc, x, y, 0, 0, 0, m_softness, m_softness);
}

void InkRenderer::StampNib(DrawingSurface* dc, LONG x, LONG y, LONG d0, LONG sx, LONG sy, LONG kx, LONG ky)
{
    StampNibInlined(dc, x, y, d0, sx, sy, kx, ky);
}

// StampNib as the sample loop calls it, inlined there: most directed nibs are blended from
// lists made once, the others by StampNibGeneral.
void InkRenderer::StampNibInlined(DrawingSurface* dc, LONG x, LONG y, LONG d0, LONG sx, LONG sy, LONG kx, LONG ky)
{
    LONG reach;
    if (m_nearCorner || m_cornerStamp) {
        reach = WholePixelsOf(m_softness) + std::max<LONG>(0, m_width - 175) / 25;
    } else {
        reach = WholePixelsOf(m_softness) + 1;
        if (m_width >= 70)
            reach += m_width / 70;
    }
    reach = std::min<LONG>(reach, kNibReach);
    Touch(x, y, reach);
    const bool directed = sx != 0 || sy != 0;
    if (directed && m_zoomUp == 1 && m_zoomDown == 1 && m_newKey >= 0
        && BlendListedNib(dc, x, y, d0, sx * kx, sy * ky, reach))
        return;
    StampNibGeneral(dc, x, y, d0, sx, sy, kx, ky, reach);
}

void InkRenderer::StampNibGeneral(DrawingSurface* dc, LONG x, LONG y, LONG d0, LONG sx, LONG sy, LONG kx, LONG ky,
                                  LONG reach)
{
    const LONG* round = sx == 0 && sy == 0 ? RoundDistances(ky) : nullptr;
    // A round nib on its pixel's centre, as every disc is, takes its coverage and the pixels
    // it changes from masks.
    const RoundMasks* centred = round && d0 == 0 ? &RoundMasksFor(round, ky) : nullptr;
    if (round)
        MarkRoundCoverage(d0, round, centred, reach);
    const DWORD* changed = centred ? centred->ink.data() : nullptr;
    const LONG stepX = sx * kx;
    const LONG stepY = sy * ky;
    // Most discs are blended from lists made once.
    if (centred && m_zoomUp == 1 && m_zoomDown == 1 && WholeNewMask()) {
        if (centred == &DiscMasks()[size_t(m_width)] ? BlendListedDisc(dc, x, y, *centred, round, reach)
                                                     : BlendListedRound(dc, x, y, round, ky, reach))
            return;
    }
    if (m_zoomDown > 1)
        StampNibReduced(dc, x, y, d0, stepX, stepY, round, reach);
    else if (m_zoomUp == 1 && round)
        BlendUnitNib<true>(dc, x, y, d0, stepX, stepY, round, changed, reach);
    else if (m_zoomUp == 1)
        BlendUnitNib<false>(dc, x, y, d0, stepX, stepY, round, changed, reach);
    else if (round)
        BlendNib<true>(dc, x, y, d0, stepX, stepY, round, changed, reach);
    else
        BlendNib<false>(dc, x, y, d0, stepX, stepY, round, changed, reach);
}

// The round nib's distances at scale ky, [dy + 6][dx + 6] in one row: each offset's distance
// from the centre times ky, truncated. The scales a disc's width gives come from one table for
// every renderer; others are worked out again only when ky changes.
const LONG* InkRenderer::RoundDistances(LONG ky)
{
    if (ky >= g_roundTables.kFirstScale && ky <= g_roundTables.kLastScale)
        return g_roundTables.distances[size_t(ky - g_roundTables.kFirstScale)].data();
    if (!m_roundReady || ky != m_roundScale) {
        for (int r = 0; r < kNibSize; ++r)
            for (int c = 0; c < kNibSize; ++c)
                m_roundDistances[size_t(r * kNibSize + c)] = LONG(g_distance.value[r][c] * ky);
        m_roundScale = ky;
        m_roundReady = true;
    }
    return m_roundDistances.data();
}

// A round nib covers the offsets of the new mask whose ink reaches far enough; the centre is left
// as it is.
void InkRenderer::MarkRoundCoverage(LONG d0, const LONG* round, const RoundMasks* centred, LONG reach)
{
    if (m_curTemplate >= 0)
        m_curMask = g_templates.mask[m_curTemplate];
    m_curTemplate = -1;
    const NibMask& newMask = NewMask();
    if (centred) {
        const RoundMasks& masks = *centred;
        const DWORD columns = ColumnBits(-reach, reach);
        for (LONG dy = -reach; dy <= reach; ++dy) {
            const size_t r = size_t(dy + kNibReach);
            DWORD bits = newMask[r] & masks.cover[r] & columns;
            if (dy == 0)
                bits &= ~(1u << kNibReach);
            m_curMask[r] |= bits;
        }
        return;
    }
    for (LONG dy = -reach; dy <= reach; ++dy) {
        const DWORD row = newMask[size_t(dy + kNibReach)];
        for (LONG dx = -reach; dx <= reach; ++dx) {
            const int bit = kNibReach - dx;
            if ((dx == 0 && dy == 0) || !((row >> bit) & 1u))
                continue;
            const LONG d = NibDistance<true>(dx, dy, d0, 0, 0, round);
            if (std::abs(d) < m_width + 255)
                m_curMask[size_t(dy + kNibReach)] |= 1u << bit;
        }
    }
}

// For a round nib centred on its pixel (d0 = 0) at the current width: the offsets whose ink
// reaches far enough to count as covered, and those the ink changes at all (a below 256 in
// InkBlend::Over; the others keep their colour exactly).
const InkRenderer::RoundMasks& InkRenderer::RoundMasksFor(const LONG* round, LONG ky)
{
    // Most discs are stamped at the width of the ink around them: those masks are made once.
    if (m_width >= 0 && m_width <= 255 && ky == SoftnessOf(m_width))
        return DiscMasks()[size_t(m_width)];
    // The others come back a few at a time (a corner's discs at the widths of the samples
    // before it): the last few made are kept.
    for (const RoundMasks& kept : m_roundMasks)
        if (kept.ready && kept.scale == ky && kept.width == m_width)
            return kept;
    RoundMasks& masks = m_roundMasks[m_nextRoundMasks];
    m_nextRoundMasks = (m_nextRoundMasks + 1) % m_roundMasks.size();
    MakeRoundMasks(round, ky, m_width, masks);
    return masks;
}

const std::array<InkRenderer::RoundMasks, 256>& InkRenderer::DiscMasks()
{
    static const std::array<RoundMasks, 256> table = [] {
        std::array<RoundMasks, 256> made;
        for (LONG width = 0; width <= 255; ++width) {
            const LONG ky = SoftnessOf(width);
            MakeRoundMasks(g_roundTables.distances[size_t(ky - g_roundTables.kFirstScale)].data(), ky, width,
                           made[size_t(width)]);
        }
        return made;
    }();
    return table;
}

void InkRenderer::MakeRoundMasks(const LONG* round, LONG ky, LONG width, RoundMasks& masks)
{
    // A row's distances grow with |dx| and are alike on both sides, so each mask row is the
    // offsets of |dx| below a count: those of the row's right half under the bound. Rows dy
    // and -dy are alike too.
    const LONG coverBound = width + 255;
    const LONG inkBound = 256 - (-3 * width) / 2;
    for (int r = 0; r <= kNibReach; ++r) {
        const LONG* half = round + r * kNibSize + kNibReach;
        int cover = 0;
        while (cover <= kNibReach && std::abs(half[cover]) < coverBound)
            ++cover;
        int ink = 0;
        while (ink <= kNibReach && std::abs(half[ink]) < inkBound)
            ++ink;
        masks.cover[size_t(r)] = masks.cover[size_t(2 * kNibReach - r)] = cover > 0 ? ColumnBits(1 - cover, cover - 1) : 0;
        masks.ink[size_t(r)] = masks.ink[size_t(2 * kNibReach - r)] = ink > 0 ? ColumnBits(1 - ink, ink - 1) : 0;
    }
    masks.ready = true;
    masks.scale = ky;
    masks.width = width;
}

// Zoomed in, each page pixel is a square of device pixels. Each pixel of a nib is blended once,
// so the order within a nib does not matter; what stays in order is one nib after the other,
// which is all the blending of a pixel depends on.
template <bool Round>
void InkRenderer::BlendNib(DrawingSurface* dc, LONG x, LONG y, LONG d0, LONG stepX, LONG stepY, const LONG* round,
                           const DWORD* changed, LONG reach)
{
    // Page pixel (x, y) is the square of m_zoomUp device pixels from (left, top); a square is
    // drawn when its first pixel is inside the clip.
    const CRect& clip = dc->DeviceClipRect();
    const POINT org = dc->GetViewportOrg();
    const int64_t zoom = m_zoomUp;
    const int64_t left = int64_t(x) * zoom + org.x;
    const int64_t top = int64_t(y) * zoom + org.y;
    if (top + (reach + 1) * zoom <= clip.top || top - reach * zoom >= clip.bottom)
        return;  // the nib is on rows of another band
    // The offsets whose column starts inside the clip: from the first at or right of its left
    // edge to the last left of its right edge.
    const LONG first = LONG(std::max<int64_t>(-reach, CeilDiv(clip.left - left, zoom)));
    const LONG last = LONG(std::min<int64_t>(reach, FloorDiv(clip.right - 1 - left, zoom)));
    if (first > last)
        return;
    const DWORD columns = ColumnBits(first, last);
    const InkBlend ink(m_red, m_green, m_blue);
    const LONG aOffset = (-3 * m_width) / 2;
    const NibMask& newMask = NewMask();
    for (LONG dy = -reach; dy <= reach; ++dy) {
        const int64_t rowTop = top + dy * zoom;
        DWORD bits = newMask[size_t(dy + kNibReach)] | (dy == 0 ? 1u << kNibReach : 0u);
        bits &= columns;
        if (changed)
            bits &= changed[dy + kNibReach];
        if (bits == 0 || rowTop < clip.top || rowTop >= clip.bottom)
            continue;
        QRgb* line = dc->DeviceScanLine(LONG(rowTop));
        while (bits != 0) {
            const int bit = std::countr_zero(bits);
            bits &= bits - 1;
            const LONG dx = kNibReach - bit;
            const LONG a = std::abs(NibDistance<Round>(dx, dy, d0, stepX, stepY, round)) + aOffset;
            const LONG column = LONG(left + dx * zoom);
            const QRgb value = ink.Over(line[column], a);
            const LONG right = LONG(std::min<int64_t>(column + zoom, clip.right));
            const LONG bottom = LONG(std::min<int64_t>(rowTop + zoom, clip.bottom));
            for (LONG r = LONG(rowTop); r < bottom; ++r)
                std::fill(dc->DeviceScanLine(r) + column, dc->DeviceScanLine(r) + right, value);
        }
    }
}

// At zoom 1 a nib is gathered first, each pixel's place and weight, then its pixels are read,
// blended in one loop the compiler vectorises, and written. Each pixel of a nib is blended
// once, so the order within it does not matter.
template <bool Round>
void InkRenderer::BlendUnitNib(DrawingSurface* dc, LONG x, LONG y, LONG d0, LONG stepX, LONG stepY,
                               const LONG* round, const DWORD* changed, LONG reach)
{
    const CRect& clip = dc->DeviceClipRect();
    const POINT org = dc->GetViewportOrg();
    const int64_t left = int64_t(x) + org.x;
    const int64_t top = int64_t(y) + org.y;
    const LONG firstRow = LONG(std::max<int64_t>(-reach, clip.top - top));
    const LONG lastRow = LONG(std::min<int64_t>(reach, clip.bottom - 1 - top));
    const LONG first = LONG(std::max<int64_t>(-reach, clip.left - left));
    const LONG last = LONG(std::min<int64_t>(reach, clip.right - 1 - left));
    if (firstRow > lastRow || first > last)
        return;  // the nib is outside the clip: on rows of another band, or off the page
    const LONG aOffset = (-3 * m_width) / 2;
    const DWORD columns = ColumnBits(first, last);
    constexpr int kMost = kNibSize * kNibSize;
    QRgb* where[kMost];
    LONG weight[kMost];
    int count = 0;
    const NibMask& newMask = NewMask();
    for (LONG dy = firstRow; dy <= lastRow; ++dy) {
        const size_t r = size_t(dy + kNibReach);
        DWORD bits = (newMask[r] | (dy == 0 ? 1u << kNibReach : 0u)) & columns;
        if constexpr (Round) {
            if (changed)
                bits &= changed[r];  // only discs come with these
        }
        if (bits == 0)
            continue;
        // Bit b is offset dx = 6 - b: its pixel is b to the left of the row's last.
        QRgb* const rowLast = dc->DeviceScanLine(LONG(top + dy)) + (left + kNibReach);
        if constexpr (Round) {
            // A disc's rows are runs of offsets: blended in place, side by side.
            const int low = std::countr_zero(bits);
            const int high = 31 - std::countl_zero(bits);
            if (bits == (((2u << high) - 1) & ~((1u << low) - 1))) {
                QRgb* const pixels = rowLast - high;
                const LONG* const distances = round + r * kNibSize + 2 * kNibReach - high;
                const InkBlend ink(m_red, m_green, m_blue);
                for (int k = 0; k <= high - low; ++k)
                    pixels[k] = ink.Over(pixels[k], std::abs(distances[k] + d0) + aOffset);
                continue;
            }
            const LONG* const distances = round + r * kNibSize + 2 * kNibReach;
            do {
                const int b = std::countr_zero(bits);
                bits &= bits - 1;
                where[count] = rowLast - b;
                weight[count] = std::abs(distances[-b] + d0) + aOffset;
                ++count;
            } while (bits != 0);
        } else {
            // A pixel whose weight keeps its colour (256 and more) is written over by the next
            // one: about a third of a directed nib's are.
            const LONG rowDistance = kNibReach * stepX - dy * stepY + d0;
            do {
                const int b = std::countr_zero(bits);
                bits &= bits - 1;
                const LONG a = std::abs(rowDistance - b * stepX) + aOffset;
                where[count] = rowLast - b;
                weight[count] = a;
                count += a < 256;
            } while (bits != 0);
        }
    }
    BlendGathered(where, weight, count);
}

// The pixels are read, blended in one loop the compiler vectorises, and written.
void InkRenderer::BlendGathered(QRgb* const* where, const LONG* weight, int count) const
{
    constexpr int kMost = kNibSize * kNibSize;
    const InkBlend ink(m_red, m_green, m_blue);
    QRgb pixels[kMost];
    for (int i = 0; i < count; ++i)
        pixels[i] = *where[i];
    for (int i = 0; i < count; ++i)
        pixels[i] = ink.Over(pixels[i], weight[i]);
    for (int i = 0; i < count; ++i)
        *where[i] = pixels[i];
}

// The pixel at (x, y) on dc when the nib's square of the given reach around it lies wholly
// inside the clip; null otherwise, and for rows so long that six of them overflow the lists'
// 32-bit places.
QRgb* InkRenderer::WholeNibCentre(DrawingSurface* dc, LONG x, LONG y, LONG reach)
{
    constexpr qsizetype kLongestRow = qsizetype(1) << 24;
    if (dc->DeviceRowPixels() > kLongestRow)
        return nullptr;
    const CRect& clip = dc->DeviceClipRect();
    const POINT org = dc->GetViewportOrg();
    const int64_t left = int64_t(x) + org.x;
    const int64_t top = int64_t(y) + org.y;
    if (left - reach < clip.left || left + reach >= clip.right || top - reach < clip.top || top + reach >= clip.bottom)
        return nullptr;
    return dc->DeviceScanLine(LONG(top)) + left;
}

// A directed nib wholly inside the clip, from the listed pixels of its mask. False when the nib
// has no list or is not wholly inside.
bool InkRenderer::BlendListedNib(DrawingSurface* dc, LONG x, LONG y, LONG d0, LONG stepX, LONG stepY, LONG reach)
{
    QRgb* const centre = WholeNibCentre(dc, x, y, reach);
    if (!centre)
        return false;
    ListedNibs::Nib& listed = ListedNibs::OfThisThread().NibFor(m_newKey);
    if (!listed.made)
        listed.Make(NewMask());
    Q_ASSERT(listed.mask == NewMask());
    if (!listed.listed)
        return false;
    listed.PlaceOn(int32_t(dc->DeviceRowPixels()));
    const int n = listed.within[reach];
    ListBlend(m_red, m_green, m_blue)
        .Directed(centre, listed.place, n, listed.dx, listed.dy, stepX, stepY, d0, (-3 * m_width) / 2);
    return true;
}

// Whether the new mask has every offset, as a disc's has.
bool InkRenderer::WholeNewMask() const
{
    DWORD missing = 0;
    for (DWORD row : NewMask())
        missing |= ~row & 0x1FFFu;
    return missing == 0;
}

// A disc of the ink's width centred on its pixel, wholly inside the clip, from its listed
// pixels and weights. False when it is not wholly inside.
bool InkRenderer::BlendListedDisc(DrawingSurface* dc, LONG x, LONG y, const RoundMasks& masks, const LONG* round,
                                  LONG reach)
{
    QRgb* const centre = WholeNibCentre(dc, x, y, reach);
    if (!centre)
        return false;
    ListedNibs::Disc& listed = ListedNibs::OfThisThread().DiscFor(m_width);
    if (!listed.made)
        listed.Make(masks.ink, round, (-3 * m_width) / 2);
    listed.PlaceOn(int32_t(dc->DeviceRowPixels()));
    ListBlend(m_red, m_green, m_blue).Listed(centre, listed.place, listed.within[reach], listed.weight, 0);
    return true;
}

// A disc at another width than the ink's (a corner's, a tiny curve's), centred on its pixel and
// wholly inside the clip: the pixels it changes are the nearest of its scale's list, those
// below the ink's bound. False when it is not wholly inside, its scale has no list, or its ink
// reaches past the nib's reach (those pixels are left alone).
bool InkRenderer::BlendListedRound(DrawingSurface* dc, LONG x, LONG y, const LONG* round, LONG ky, LONG reach)
{
    if (ky < ListedNibs::kFirstScale || ky > ListedNibs::kLastScale)
        return false;
    QRgb* const centre = WholeNibCentre(dc, x, y, reach);
    if (!centre)
        return false;
    ListedNibs::Round& listed = ListedNibs::OfThisThread().RoundFor(ky);
    if (!listed.made)
        listed.Make(round);
    const LONG aOffset = (-3 * m_width) / 2;
    const int n = listed.Reached(256 - aOffset);
    if (n == 0 || listed.ring[n - 1] > reach)
        return false;
    listed.PlaceOn(int32_t(dc->DeviceRowPixels()));
    ListBlend(m_red, m_green, m_blue).Listed(centre, listed.place, n, listed.weight, aOffset);
    return true;
}

// At a reduced zoom only some page pixels show: each goes through PlotPixel.
void InkRenderer::StampNibReduced(DrawingSurface* dc, LONG x, LONG y, LONG d0, LONG stepX, LONG stepY,
                                  const LONG* round, LONG reach)
{
    PlotPixel(dc, x, y, d0);
    const NibMask& newMask = NewMask();
    for (LONG dy = -reach; dy <= reach; ++dy) {
        const DWORD row = newMask[size_t(dy + kNibReach)];
        for (LONG dx = -reach; dx <= reach; ++dx) {
            const int bit = kNibReach - dx;
            if ((dx == 0 && dy == 0) || !((row >> bit) & 1u))
                continue;
            const LONG d = round ? NibDistance<true>(dx, dy, d0, stepX, stepY, round)
                                 : NibDistance<false>(dx, dy, d0, stepX, stepY, round);
            PlotPixel(dc, x + dx, y + dy, d);
        }
    }
}

// The nib's square, gathered in this renderer's pixels: scaling to dc pixels keeps the order
// of coordinates, so the union can be scaled once when someone takes it.
void InkRenderer::Touch(LONG x, LONG y, LONG reach)
{
    if (!m_touchPending) {
        m_touchPending = true;
        m_pendingTouch = CRect(x - reach, y - reach, x + reach + 1, y + reach + 1);
        return;
    }
    m_pendingTouch.left = std::min(m_pendingTouch.left, x - reach);
    m_pendingTouch.top = std::min(m_pendingTouch.top, y - reach);
    m_pendingTouch.right = std::max(m_pendingTouch.right, x + reach + 1);
    m_pendingTouch.bottom = std::max(m_pendingTouch.bottom, y + reach + 1);
}

// The pending squares in dc pixels, one more on each side for the rounding of the zoom, added
// to m_touched; done before the zoom changes.
void InkRenderer::FlushTouched()
{
    if (!m_touchPending)
        return;
    m_touchPending = false;
    const CRect& p = m_pendingTouch;
    const CRect nibs(p.left * m_zoomUp / m_zoomDown - 1, p.top * m_zoomUp / m_zoomDown - 1,
                     p.right * m_zoomUp / m_zoomDown + 1, p.bottom * m_zoomUp / m_zoomDown + 1);
    m_touched.UnionRect(m_touched, nibs);
}

CRect InkRenderer::TakeTouchedRect()
{
    FlushTouched();
    const CRect touched = m_touched;
    m_touched = CRect();
    return touched;
}

void InkRenderer::UpdateNibMasks(LONG px, LONG py, LONG x, LONG y, LONG dxf, LONG dyf)
{
    NextNibMasks(px, py, x, y, dxf, dyf);
}

void InkRenderer::NextNibMasks(LONG px, LONG py, LONG x, LONG y, LONG dxf, LONG dyf)
{
    int index;
    if (dxf <= 0)
        index = dyf > 0 ? 3 : 2;
    else
        index = dyf <= 0 ? 1 : 4;
    const NibMask& next = g_templates.mask[index];
    const LONG shiftX = x - px;
    const LONG shiftY = y - py;
    const int from = m_discDone ? -1 : m_curTemplate;
    m_newKey = NibKey(from, index, shiftX, shiftY);
    m_prevKey = m_newKey;
    if (m_newKey < 0) {
        // The previous coverage, with the disc's.
        const NibMask& current = CurMask();
        NibMask previous;
        const DWORD discOr = m_discDone ? 0xFFFFFFFFu : 0u;
        for (int r = 0; r < kNibSize; ++r)
            previous[size_t(r)] = current[size_t(r)] | (next[size_t(r)] & discOr);
        MoveNibMasks(previous, next, shiftX, shiftY, m_prevMask, m_newMask);
    }
    m_discDone = 0;
    m_curTemplate = index;
}

const InkRenderer::NibMask& InkRenderer::CurMask() const
{
    return m_curTemplate >= 0 ? g_templates.mask[m_curTemplate] : m_curMask;
}

const InkRenderer::NibMask& InkRenderer::NewMask() const
{
    return m_newKey >= 0 ? g_stepMasks.masks[size_t(m_newKey)].fresh : m_newMask;
}

const InkRenderer::NibMask& InkRenderer::PrevMask() const
{
    return m_prevKey >= 0 ? g_stepMasks.masks[size_t(m_prevKey)].previous : m_prevMask;
}

int InkRenderer::NibKey(int from, int to, LONG x, LONG y)
{
    static_assert(ListedNibs::kKeys == 5 * 4 * 3 * 3 && std::is_same_v<ListedNibs::Mask, NibMask>);
    if (from < 0 || x < -1 || x > 1 || y < -1 || y > 1)
        return -1;
    return ((from * 4 + to - 1) * 3 + int(x) + 1) * 3 + int(y) + 1;
}

bool InkRenderer::SharpTurn(POINT p1, POINT p2, POINT p3) const
{
    // TurnAngle truncates each direction to whole degrees, so it lies within 2 degrees of the
    // true angle between the two legs. Only a turn within 2.5 degrees of the 130 degree bound
    // needs it; the others are told by the cosine, without trigonometry.
    const double ux = double(p1.x) - double(p2.x);
    const double uy = double(p1.y) - double(p2.y);
    const double vx = double(p3.x) - double(p2.x);
    const double vy = double(p3.y) - double(p2.y);
    const double lengths = (ux * ux + uy * uy) * (vx * vx + vy * vy);
    const double dot = ux * vx + uy * vy;
    if (lengths > 0) {
        if (dot >= 0)
            return true;  // 90 degrees at most
        constexpr double kCos127_5 = 0.60876142900872066;  // -cos 127.5°
        constexpr double kCos132_5 = 0.67559020761566024;  // -cos 132.5°
        const double dot2 = dot * dot;
        if (dot2 < kCos127_5 * kCos127_5 * lengths)
            return true;
        if (dot2 > kCos132_5 * kCos132_5 * lengths)
            return false;
    }
    return TurnAngle(p1, p2, p3) < 130;
}

LONG InkRenderer::TurnAngle(POINT p1, POINT p2, POINT p3) const
{
    const auto degrees = [this](double radians) {
        LONG d = LONG(radians * 180 / m_pi);
        return d < 0 ? d + 360 : d;
    };
    const LONG a1 = degrees(std::atan2(double(p2.y - p1.y), double(p1.x - p2.x)));
    const LONG a2 = degrees(std::atan2(double(p2.y - p3.y), double(p3.x - p2.x)));
    const LONG diff = std::abs(a1 - a2);
    return diff <= 180 ? diff : 360 - diff;
}
