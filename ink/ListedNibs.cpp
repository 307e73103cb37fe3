#include "ListedNibs.h"

#include "InkBlend.h"

#include <algorithm>
#include <cstdlib>
#include <memory>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define INKLEAF_INK_BLEND_WIDE 1
#include <immintrin.h>

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
        const __m128i keep = _mm_min_epi16(_mm_max_epi16(weights, _mm_setzero_si128()), _mm_set1_epi16(256));
        const __m128i ink = _mm_sub_epi16(_mm_set1_epi16(255), _mm_min_epi16(keep, _mm_set1_epi16(255)));
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
#endif

namespace {

// Calls each offset (x, y) of the nib, ring by ring from the centre, and notes in within how
// many were taken up to each ring; stops when take returns false.
template <typename Take>
bool ListByRings(ListedNibs::Places& places, Take take)
{
    int count = 0;
    for (int ring = 0; ring <= ListedNibs::kReach; ++ring) {
        for (int y = -ring; y <= ring; ++y) {
            for (int x = -ring; x <= ring; ++x) {
                if (std::max(std::abs(x), std::abs(y)) != ring)
                    continue;
                if (!take(x, y, count))
                    return false;
            }
        }
        places.within[ring] = uint8_t(count);
    }
    return true;
}

bool Has(const ListedNibs::Mask& mask, int x, int y)
{
    return (mask[size_t(y + ListedNibs::kReach)] >> (ListedNibs::kReach - x)) & 1u;
}

#if defined(__SSE2__)
// used[n]: sixteen 16-bit lanes, the first n all ones.
struct LaneMasks {
    alignas(16) int16_t used[ListedNibs::kLanes + 1][ListedNibs::kLanes];
    LaneMasks()
    {
        for (int n = 0; n <= ListedNibs::kLanes; ++n)
            for (int k = 0; k < ListedNibs::kLanes; ++k)
                used[n][k] = k < n ? int16_t(-1) : int16_t(0);
    }
};
const LaneMasks g_laneMasks;

// A block's lanes: the places of its n (1..16) pixels and their weights, low and high eight.
// The lanes past them repeat the first pixel and its weight: every pixel is read before any is
// written, so they write the first pixel's new colour again.
[[gnu::always_inline]] inline void BlockLanes(const int32_t* from, const int16_t* weights, int n, int32_t* place,
                                              __m128i& low, __m128i& high)
{
#pragma GCC unroll 16
    for (int k = 0; k < ListedNibs::kLanes; ++k)
        place[k] = k < n ? from[k] : from[0];
    const __m128i* used = reinterpret_cast<const __m128i*>(g_laneMasks.used[n]);
    low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(weights));
    high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(weights + 8));
    const __m128i first = _mm_shuffle_epi32(_mm_shufflelo_epi16(low, 0), 0);
    low = _mm_or_si128(_mm_and_si128(used[0], low), _mm_andnot_si128(used[0], first));
    high = _mm_or_si128(_mm_and_si128(used[1], high), _mm_andnot_si128(used[1], first));
}

[[gnu::always_inline]] inline void BlendBlock(QRgb* centre, const int32_t* from, const int16_t* weights, int n,
                                              const InkBlendLanes& ink)
{
    constexpr int kLanes = ListedNibs::kLanes;
    int32_t place[kLanes];
    __m128i low, high;
    BlockLanes(from, weights, n, place, low, high);
    __m128i pixels[4];
    for (int q = 0; q < 4; ++q)
        pixels[q] = _mm_setr_epi32(int(centre[place[4 * q]]), int(centre[place[4 * q + 1]]),
                                   int(centre[place[4 * q + 2]]), int(centre[place[4 * q + 3]]));
    ink.Over(pixels[0], pixels[1], low);
    ink.Over(pixels[2], pixels[3], high);
    alignas(16) QRgb blended[kLanes];
    for (int q = 0; q < 4; ++q)
        _mm_store_si128(reinterpret_cast<__m128i*>(blended + 4 * q), pixels[q]);
    for (int k = 0; k < kLanes; ++k)
        centre[place[k]] = blended[k];
}
#endif

#if defined(INKLEAF_INK_BLEND_WIDE)
// The eight pixels at centre + place[0..7].
__attribute__((target("avx2"), always_inline)) inline __m256i GatherEight(const QRgb* centre, const int32_t* place)
{
    return _mm256_setr_epi32(int(centre[place[0]]), int(centre[place[1]]), int(centre[place[2]]),
                             int(centre[place[3]]), int(centre[place[4]]), int(centre[place[5]]), int(centre[place[6]]),
                             int(centre[place[7]]));
}

__attribute__((target("avx2"))) void BlendBlockWide(QRgb* centre, const int32_t* from, const int16_t* weights, int n,
                                                    const InkBlendWide& ink)
{
    constexpr int kLanes = ListedNibs::kLanes;
    int32_t place[kLanes];
    __m128i low, high;
    BlockLanes(from, weights, n, place, low, high);
    const __m256i first = ink.Over(GatherEight(centre, place), low);
    const __m256i second = ink.Over(GatherEight(centre, place + 8), high);
    alignas(32) QRgb blended[kLanes];
    _mm256_store_si256(reinterpret_cast<__m256i*>(blended), first);
    _mm256_store_si256(reinterpret_cast<__m256i*>(blended + 8), second);
#pragma GCC unroll 16
    for (int k = 0; k < kLanes; ++k)
        centre[place[k]] = blended[k];
}

__attribute__((target("avx2"))) void BlendWide(QRgb* centre, const int32_t* place, const int16_t* weights, int n,
                                               LONG red, LONG green, LONG blue)
{
    const InkBlendWide ink(red, green, blue);
    for (int block = 0; block < n; block += ListedNibs::kLanes)
        BlendBlockWide(centre, place + block, weights + block, std::min(ListedNibs::kLanes, n - block), ink);
}

const bool g_wide = __builtin_cpu_supports("avx2");
#endif

}  // namespace

void ListedNibs::Nib::Make(const Mask& from)
{
    *this = Nib{};
    made = true;
    mask = from;
    listed = ListByRings(*this, [this](int x, int y, int& count) {
        if (!Has(mask, x, y) && (x != 0 || y != 0))
            return true;
        if (count == kMost)
            return false;
        dx[count] = int16_t(x);
        dy[count] = int16_t(y);
        ++count;
        return true;
    });
}

void ListedNibs::Disc::Make(const Mask& ink, const LONG* distances, LONG offset)
{
    *this = Disc{};
    made = true;
    ListByRings(*this, [&](int x, int y, int& count) {
        if (!Has(ink, x, y))
            return true;
        const LONG d = distances[(y + kReach) * (2 * kReach + 1) + x + kReach];
        weight[count] = int16_t(std::abs(d) + offset);
        dx[count] = int8_t(x);
        dy[count] = int8_t(y);
        ++count;
        return true;
    });
}

void ListedNibs::Round::Make(const LONG* distances)
{
    *this = Round{};
    made = true;
    int order[kCount];
    for (int i = 0; i < kCount; ++i)
        order[i] = i;
    std::stable_sort(order, order + kCount, [distances](int a, int b) { return distances[a] < distances[b]; });
    int furthest = 0;
    for (int i = 0; i < kCount; ++i) {
        const int x = order[i] % (2 * kReach + 1) - kReach;
        const int y = order[i] / (2 * kReach + 1) - kReach;
        furthest = std::max({furthest, std::abs(x), std::abs(y)});
        weight[i] = int16_t(std::min<LONG>(distances[order[i]], INT16_MAX));
        ring[i] = uint8_t(furthest);
        dx[i] = int8_t(x);
        dy[i] = int8_t(y);
    }
}

int ListedNibs::Round::Reached(LONG bound) const
{
    return int(std::lower_bound(weight, weight + kCount, bound, [](int16_t w, LONG b) { return w < b; }) - weight);
}

ListedNibs& ListedNibs::OfThisThread()
{
    thread_local std::unique_ptr<ListedNibs> lists;
    if (!lists)
        lists = std::make_unique<ListedNibs>();
    return *lists;
}

void ListedNibs::Blend(QRgb* centre, const int32_t* place, const int16_t* weights, int n, LONG red, LONG green,
                       LONG blue)
{
#if defined(INKLEAF_INK_BLEND_WIDE)
    if (g_wide) {
        BlendWide(centre, place, weights, n, red, green, blue);
        return;
    }
#endif
    BlendWith(Lanes::Sse2, centre, place, weights, n, red, green, blue);
}

ListedNibs::Lanes ListedNibs::WidestLanes()
{
#if defined(INKLEAF_INK_BLEND_WIDE)
    if (g_wide)
        return Lanes::Avx2;
#endif
#if defined(__SSE2__)
    return Lanes::Sse2;
#else
    return Lanes::Single;
#endif
}

void ListedNibs::BlendWith(Lanes lanes, QRgb* centre, const int32_t* place, const int16_t* weights, int n, LONG red,
                           LONG green, LONG blue)
{
#if defined(INKLEAF_INK_BLEND_WIDE)
    if (lanes == Lanes::Avx2 && g_wide) {
        BlendWide(centre, place, weights, n, red, green, blue);
        return;
    }
#endif
#if defined(__SSE2__)
    if (lanes != Lanes::Single) {
        const InkBlendLanes ink(red, green, blue);
        for (int block = 0; block < n; block += kLanes)
            BlendBlock(centre, place + block, weights + block, std::min(kLanes, n - block), ink);
        return;
    }
#endif
    const InkBlend ink(red, green, blue);
    for (int i = 0; i < n; ++i)
        centre[place[i]] = ink.Over(centre[place[i]], weights[i]);
}
