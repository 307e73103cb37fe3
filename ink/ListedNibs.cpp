#include "ListedNibs.h"

#include "InkBlend.h"

#include <algorithm>
#include <cstdlib>
#include <memory>

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

// Blends n (1..16) pixels. The lanes past them repeat the first pixel and its weight: every
// pixel is read before any is written, so they write the first pixel's new colour again.
void BlendBlock(QRgb* centre, const int32_t* from, const int16_t* weights, int n, const InkBlendLanes& ink)
{
    constexpr int kLanes = ListedNibs::kLanes;
    int32_t place[kLanes];
    for (int k = 0; k < kLanes; ++k)
        place[k] = k < n ? from[k] : from[0];
    const __m128i* used = reinterpret_cast<const __m128i*>(g_laneMasks.used[n]);
    __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(weights));
    __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(weights + 8));
    const __m128i first = _mm_shuffle_epi32(_mm_shufflelo_epi16(low, 0), 0);
    low = _mm_or_si128(_mm_and_si128(used[0], low), _mm_andnot_si128(used[0], first));
    high = _mm_or_si128(_mm_and_si128(used[1], high), _mm_andnot_si128(used[1], first));
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
#if defined(__SSE2__)
    const InkBlendLanes ink(red, green, blue);
    for (int block = 0; block < n; block += kLanes)
        BlendBlock(centre, place + block, weights + block, std::min(kLanes, n - block), ink);
#else
    const InkBlend ink(red, green, blue);
    for (int i = 0; i < n; ++i)
        centre[place[i]] = ink.Over(centre[place[i]], weights[i]);
#endif
}
