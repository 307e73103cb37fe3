#include "ListedNibs.h"

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
