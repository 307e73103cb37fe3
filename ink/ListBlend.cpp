#include "ListBlend.h"

#include "InkBlend.h"

#include <algorithm>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define INKLEAF_LIST_BLEND_WIDE 1
#include <immintrin.h>
#endif

namespace {

// The weights of the Listed form, and of the Directed one: One(i) is lane i's, Eight(i) lanes
// i..i + 7 in one register, by the same 16-bit arithmetic.
struct ListedWeights {
    const int16_t* weights;
    int16_t offset;
    LONG One(int i) const { return int16_t(weights[i] + offset); }
#if defined(__SSE2__)
    [[gnu::always_inline]] __m128i Eight(int i) const
    {
        return _mm_add_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(weights + i)), _mm_set1_epi16(offset));
    }
#endif
};

struct DirectedWeights {
    const int16_t* dx;
    const int16_t* dy;
    int16_t stepX;
    int16_t stepY;
    int16_t d0;
    int16_t offset;
    LONG One(int i) const
    {
        const int16_t d = int16_t(dx[i] * stepX - dy[i] * stepY + d0);
        return int16_t((d < 0 ? -d : d) + offset);
    }
#if defined(__SSE2__)
    [[gnu::always_inline]] __m128i Eight(int i) const
    {
        const auto load = [](const int16_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); };
        const __m128i d = _mm_add_epi16(_mm_sub_epi16(_mm_mullo_epi16(load(dx + i), _mm_set1_epi16(stepX)),
                                                      _mm_mullo_epi16(load(dy + i), _mm_set1_epi16(stepY))),
                                        _mm_set1_epi16(d0));
        return _mm_add_epi16(_mm_max_epi16(d, _mm_sub_epi16(_mm_setzero_si128(), d)), _mm_set1_epi16(offset));
    }
#endif
};

#if defined(__SSE2__)
// used[n]: sixteen 16-bit lanes, the first n all ones.
struct LaneMasks {
    alignas(16) int16_t used[ListBlend::kLanes + 1][ListBlend::kLanes];
    LaneMasks()
    {
        for (int n = 0; n <= ListBlend::kLanes; ++n)
            for (int k = 0; k < ListBlend::kLanes; ++k)
                used[n][k] = k < n ? int16_t(-1) : int16_t(0);
    }
};
const LaneMasks g_laneMasks;

// The lanes of the block from first on: the places of its n (1..16) pixels and their weights,
// low and high eight. The lanes past them repeat the first pixel and its weight: every pixel is
// read before any is written, so they write the first pixel's new colour again.
template <typename Weights>
[[gnu::always_inline]] inline void BlockLanes(const int32_t* from, const Weights& weights, int first, int n,
                                              int32_t* place, __m128i& low, __m128i& high)
{
#pragma GCC unroll 16
    for (int k = 0; k < ListBlend::kLanes; ++k)
        place[k] = k < n ? from[k] : from[0];
    const __m128i* used = reinterpret_cast<const __m128i*>(g_laneMasks.used[n]);
    low = weights.Eight(first);
    high = weights.Eight(first + 8);
    const __m128i lead = _mm_shuffle_epi32(_mm_shufflelo_epi16(low, 0), 0);
    low = _mm_or_si128(_mm_and_si128(used[0], low), _mm_andnot_si128(used[0], lead));
    high = _mm_or_si128(_mm_and_si128(used[1], high), _mm_andnot_si128(used[1], lead));
}

template <typename Weights>
void BlendNarrow(QRgb* centre, const int32_t* place, int n, const Weights& weights, const InkBlendLanes& ink)
{
    constexpr int kLanes = ListBlend::kLanes;
    for (int first = 0; first < n; first += kLanes) {
        int32_t lane[kLanes];
        __m128i low, high;
        BlockLanes(place + first, weights, first, std::min(kLanes, n - first), lane, low, high);
        __m128i pixels[4];
        for (int q = 0; q < 4; ++q)
            pixels[q] = _mm_setr_epi32(int(centre[lane[4 * q]]), int(centre[lane[4 * q + 1]]),
                                       int(centre[lane[4 * q + 2]]), int(centre[lane[4 * q + 3]]));
        ink.Over(pixels[0], pixels[1], low);
        ink.Over(pixels[2], pixels[3], high);
        alignas(16) QRgb blended[kLanes];
        for (int q = 0; q < 4; ++q)
            _mm_store_si128(reinterpret_cast<__m128i*>(blended + 4 * q), pixels[q]);
#pragma GCC unroll 16
        for (int k = 0; k < kLanes; ++k)
            centre[lane[k]] = blended[k];
    }
}
#endif

#if defined(INKLEAF_LIST_BLEND_WIDE)
// InkBlendLanes with AVX2's 256-bit registers, for processors that have them: the same
// arithmetic in the same 16-bit lanes, eight pixels a step.
class InkBlendWide {
public:
    __attribute__((target("avx2"))) InkBlendWide(LONG red, LONG green, LONG blue)
        : m_ink(_mm256_setr_epi16(int16_t(blue), int16_t(green), int16_t(red), 0, int16_t(blue), int16_t(green),
                                  int16_t(red), 0, int16_t(blue), int16_t(green), int16_t(red), 0, int16_t(blue),
                                  int16_t(green), int16_t(red), 0))
    {
    }

    // Eight pixels with their eight weights.
    __attribute__((target("avx2"))) __m256i Over(__m256i pixels, __m128i weights) const
    {
        __m128i keep, ink;
        InkBlendLanes::Shares(weights, keep, ink);
        // Each pixel's weights twice, pixels 0..3 in the low half and 4..7 in the high one, as
        // unpacking a register's bytes pairs the halves' pixels.
        const __m256i keeps = _mm256_set_m128i(_mm_unpackhi_epi16(keep, keep), _mm_unpacklo_epi16(keep, keep));
        const __m256i inks = _mm256_set_m128i(_mm_unpackhi_epi16(ink, ink), _mm_unpacklo_epi16(ink, ink));
        const __m256i zero = _mm256_setzero_si256();
        const __m256i low = Channels(_mm256_unpacklo_epi8(pixels, zero), _mm256_unpacklo_epi32(keeps, keeps),
                                     _mm256_unpacklo_epi32(inks, inks));
        const __m256i high = Channels(_mm256_unpackhi_epi8(pixels, zero), _mm256_unpackhi_epi32(keeps, keeps),
                                      _mm256_unpackhi_epi32(inks, inks));
        return _mm256_or_si256(_mm256_packus_epi16(low, high), _mm256_set1_epi32(int(0xFF000000u)));
    }

private:
    __attribute__((target("avx2"))) __m256i Channels(__m256i channels, __m256i keep, __m256i ink) const
    {
        return _mm256_srli_epi16(_mm256_add_epi16(_mm256_mullo_epi16(channels, keep), _mm256_mullo_epi16(m_ink, ink)),
                                 8);
    }

    __m256i m_ink;  // blue, green, red, 0 for four pixels
};

// The eight pixels at centre + place[0..7].
__attribute__((target("avx2"), always_inline)) inline __m256i GatherEight(const QRgb* centre, const int32_t* place)
{
    return _mm256_setr_epi32(int(centre[place[0]]), int(centre[place[1]]), int(centre[place[2]]),
                             int(centre[place[3]]), int(centre[place[4]]), int(centre[place[5]]), int(centre[place[6]]),
                             int(centre[place[7]]));
}

template <typename Weights>
__attribute__((target("avx2"))) void BlendWide(QRgb* centre, const int32_t* place, int n, const Weights& weights,
                                               LONG red, LONG green, LONG blue)
{
    constexpr int kLanes = ListBlend::kLanes;
    const InkBlendWide ink(red, green, blue);
    for (int first = 0; first < n; first += kLanes) {
        int32_t lane[kLanes];
        __m128i low, high;
        BlockLanes(place + first, weights, first, std::min(kLanes, n - first), lane, low, high);
        const __m256i front = ink.Over(GatherEight(centre, lane), low);
        const __m256i back = ink.Over(GatherEight(centre, lane + 8), high);
        alignas(32) QRgb blended[kLanes];
        _mm256_store_si256(reinterpret_cast<__m256i*>(blended), front);
        _mm256_store_si256(reinterpret_cast<__m256i*>(blended + 8), back);
#pragma GCC unroll 16
        for (int k = 0; k < kLanes; ++k)
            centre[lane[k]] = blended[k];
    }
}

// Asked while globals are made: the processor's features are looked up first.
const bool g_wide = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") != 0;
}();
#endif

}  // namespace

ListBlend::Lanes ListBlend::Widest()
{
#if defined(INKLEAF_LIST_BLEND_WIDE)
    if (g_wide)
        return Lanes::Avx2;
#endif
#if defined(__SSE2__)
    return Lanes::Sse2;
#else
    return Lanes::Single;
#endif
}

void ListBlend::Listed(QRgb* centre, const int32_t* place, int n, const int16_t* weights, LONG offset) const
{
    Blend(centre, place, n, ListedWeights{weights, int16_t(offset)});
}

void ListBlend::Directed(QRgb* centre, const int32_t* place, int n, const int16_t* dx, const int16_t* dy, LONG stepX,
                         LONG stepY, LONG d0, LONG offset) const
{
    Blend(centre, place, n, DirectedWeights{dx, dy, int16_t(stepX), int16_t(stepY), int16_t(d0), int16_t(offset)});
}

namespace {

// Blending without AVX2: kept out of line, so that the calls that take AVX2 stay short.
template <typename Weights>
[[gnu::noinline]] void BlendWithout(ListBlend::Lanes lanes, QRgb* centre, const int32_t* place, int n,
                                    const Weights& weights, LONG red, LONG green, LONG blue)
{
#if defined(__SSE2__)
    if (lanes != ListBlend::Lanes::Single) {
        BlendNarrow(centre, place, n, weights, InkBlendLanes(red, green, blue));
        return;
    }
#endif
    const InkBlend ink(red, green, blue);
    for (int i = 0; i < n; ++i)
        centre[place[i]] = ink.Over(centre[place[i]], weights.One(i));
}

}  // namespace

template <typename Weights>
void ListBlend::Blend(QRgb* centre, const int32_t* place, int n, const Weights& weights) const
{
#if defined(INKLEAF_LIST_BLEND_WIDE)
    if (m_lanes == Lanes::Avx2 && g_wide) {
        BlendWide(centre, place, n, weights, m_red, m_green, m_blue);
        return;
    }
#endif
    BlendWithout(m_lanes, centre, place, n, weights, m_red, m_green, m_blue);
}
