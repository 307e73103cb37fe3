#include "ink/InkBlend.h"
#include "ink/ListBlend.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>
#include <vector>

// Lists of every length a nib's can have, at scattered places over a page of many colours, with
// weights across and around the blend's edges (below 0, 255, 256 and far above), in both forms:
// blending a pixel at a time, in SSE2's lanes and in AVX2's gives the same page, and every listed
// pixel is the ink laid over its old colour once with its weight.
TEST(ListBlend, every_lane_width_blends_a_list_as_its_pixels_one_at_a_time)
{
    constexpr int kSide = 40;
    std::mt19937 random(7);
    std::vector<QRgb> page(kSide * kSide);
    for (QRgb& pixel : page)
        pixel = 0xFF000000u | (random() & 0xFFFFFFu);
    const ptrdiff_t centre = kSide * (kSide / 2) + kSide / 2;
    const std::vector<int16_t> edges{-300, -1, 0, 1, 127, 254, 255, 256, 257, 600, 2600};
    const auto pick = [&](int lo, int hi) { return int(random() % unsigned(hi - lo + 1)) + lo; };

    for (int n = 1; n <= 48; ++n) {
        for (int round = 0; round < 40; ++round) {
            // n distinct offsets within the nib's reach of the centre.
            std::vector<int> offsets(13 * 13);
            std::iota(offsets.begin(), offsets.end(), 0);
            std::shuffle(offsets.begin(), offsets.end(), random);
            std::vector<int32_t> place(48);
            std::vector<int16_t> dx(48), dy(48), weights(48);
            for (int i = 0; i < 48; ++i) {
                dx[size_t(i)] = int16_t(offsets[size_t(i)] % 13 - 6);
                dy[size_t(i)] = int16_t(offsets[size_t(i)] / 13 - 6);
                place[size_t(i)] = dy[size_t(i)] * kSide + dx[size_t(i)];
                weights[size_t(i)] = round % 4 == 0 ? edges[random() % edges.size()] : int16_t(pick(-200, 2600));
            }
            const bool directed = round % 2 == 1;
            const LONG stepX = pick(-300, 300), stepY = pick(-300, 300), d0 = pick(-300, 300);
            const LONG offset = directed ? -pick(0, 382) : round % 4 == 2 ? -pick(0, 382) : 0;
            const LONG red = pick(0, 255), green = pick(0, 255), blue = pick(0, 255);

            const auto blend = [&](ListBlend::Lanes lanes) {
                std::vector<QRgb> pixels = page;
                const ListBlend ink(red, green, blue, lanes);
                if (directed)
                    ink.Directed(pixels.data() + centre, place.data(), n, dx.data(), dy.data(), stepX, stepY, d0,
                                 offset);
                else
                    ink.Listed(pixels.data() + centre, place.data(), n, weights.data(), offset);
                return pixels;
            };
            const std::vector<QRgb> single = blend(ListBlend::Lanes::Single);
            ASSERT_EQ(blend(ListBlend::Lanes::Sse2), single) << n << " pixels, round " << round;
            ASSERT_EQ(blend(ListBlend::Lanes::Avx2), single) << n << " pixels, round " << round;

            const InkBlend ink(red, green, blue);
            std::vector<QRgb> expected = page;
            for (int i = 0; i < n; ++i) {
                const LONG d = dx[size_t(i)] * stepX - dy[size_t(i)] * stepY + d0;
                const LONG weight = directed ? std::abs(d) + offset : weights[size_t(i)] + offset;
                const size_t at = size_t(centre + place[size_t(i)]);
                expected[at] = ink.Over(page[at], weight);
            }
            ASSERT_EQ(single, expected) << n << " pixels, round " << round;
        }
    }
    if (ListBlend::Widest() != ListBlend::Lanes::Avx2)
        GTEST_LOG_(INFO) << "this processor has no AVX2: its lanes were blended as SSE2's";
}
