#include "ink/InkBlend.h"
#include "ink/ListedNibs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>
#include <vector>

// Lists of every length a nib's can have, at scattered places over a page of many colours, with
// weights across and around the blend's edges (below 0, 255, 256 and far above): blending a
// pixel at a time, in SSE2's lanes and in AVX2's gives the same page, and every listed pixel is
// the ink laid over its old colour once.
TEST(ListedNibs, every_lane_width_blends_a_list_as_its_pixels_one_at_a_time)
{
    constexpr int kSide = 40;
    std::mt19937 random(7);
    std::vector<QRgb> page(kSide * kSide);
    for (QRgb& pixel : page)
        pixel = 0xFF000000u | (random() & 0xFFFFFFu);
    const QRgb* centre = page.data() + kSide * (kSide / 2) + kSide / 2;
    const std::vector<int16_t> edges{-300, -1, 0, 1, 127, 254, 255, 256, 257, 600, 2600};

    for (int n = 1; n <= 48; ++n) {
        for (int round = 0; round < 20; ++round) {
            // n distinct places within the nib's reach of the centre.
            std::vector<int32_t> everywhere(13 * 13);
            std::iota(everywhere.begin(), everywhere.end(), 0);
            std::shuffle(everywhere.begin(), everywhere.end(), random);
            std::vector<int32_t> place(n);
            for (int i = 0; i < n; ++i)
                place[size_t(i)] = (everywhere[size_t(i)] / 13 - 6) * kSide + everywhere[size_t(i)] % 13 - 6;
            std::vector<int16_t> weights(64);
            for (int16_t& w : weights)
                w = round % 2 ? edges[random() % edges.size()] : int16_t(int(random() % 900) - 200);
            const LONG red = LONG(random() % 256), green = LONG(random() % 256), blue = LONG(random() % 256);

            std::vector<QRgb> single = page, sse2 = page, avx2 = page;
            const auto blend = [&](ListedNibs::Lanes lanes, std::vector<QRgb>& pixels) {
                ListedNibs::BlendWith(lanes, pixels.data() + (centre - page.data()), place.data(), weights.data(), n,
                                      red, green, blue);
            };
            blend(ListedNibs::Lanes::Single, single);
            blend(ListedNibs::Lanes::Sse2, sse2);
            blend(ListedNibs::Lanes::Avx2, avx2);
            ASSERT_EQ(sse2, single) << n << " pixels, round " << round;
            ASSERT_EQ(avx2, single) << n << " pixels, round " << round;

            const InkBlend ink(red, green, blue);
            std::vector<QRgb> expected = page;
            for (int i = 0; i < n; ++i) {
                const size_t at = size_t(centre - page.data() + place[size_t(i)]);
                expected[at] = ink.Over(page[at], weights[size_t(i)]);
            }
            ASSERT_EQ(single, expected) << n << " pixels, round " << round;
        }
    }
    if (ListedNibs::WidestLanes() != ListedNibs::Lanes::Avx2)
        GTEST_LOG_(INFO) << "this processor has no AVX2: its lanes were blended as SSE2's";
}
