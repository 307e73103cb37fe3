#pragma once
// Laying ink over a pixel, one pixel at a time and eight at a time.

#include "platform/ColorRef.h"

#include <QRgb>

#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// The ink laid over a pixel with weight a for the old colour: 0 gives the ink alone, 255 the
// old colour all but alone, 256 and more the old pixel exactly, with no test per pixel. Red and
// blue blend in one multiply, as no channel's sum reaches 2^16 and carries into the next.
class InkBlend {
public:
    InkBlend(LONG red, LONG green, LONG blue) : m_rb(uint32_t(red) << 16 | uint32_t(blue)), m_g(uint32_t(green) << 8) {}

    QRgb Over(QRgb old, LONG a) const
    {
        // a brought into 0..256 with masks, not branches: which side of the range a pixel's
        // distance falls on changes from pixel to pixel, and a mispredicted branch costs more
        // than the blend.
        const uint32_t keep = uint32_t(MinOf(a & ~(a >> 31), 256));
        const uint32_t ink = 255 - uint32_t(MinOf(LONG(keep), 255));
        return 0xFF000000u | ((((old & 0xFF00FFu) * keep + m_rb * ink) >> 8) & 0xFF00FFu)
            | ((((old & 0xFF00u) * keep + m_g * ink) >> 8) & 0xFF00u);
    }

private:
    // The smaller of a and b, for values whose difference fits in a LONG.
    static constexpr LONG MinOf(LONG a, LONG b)
    {
        const LONG over = a - b;
        return b + (over & (over >> 31));
    }

    uint32_t m_rb;  // the ink's red and blue where a QRgb holds them
    uint32_t m_g;   // and its green
};

#if defined(__SSE2__)
// InkBlend::Over for eight pixels at once, in 16-bit lanes: for every channel, old × keep +
// ink × (255 - min(keep, 255)) stays below 2^16, so the lanes give Over's result exactly.
class InkBlendLanes {
public:
    InkBlendLanes(LONG red, LONG green, LONG blue)
        : m_ink(_mm_setr_epi16(int16_t(blue), int16_t(green), int16_t(red), 0, int16_t(blue), int16_t(green),
                               int16_t(red), 0))
    {
    }

    // The eight lanes' weights for the old colour and for the ink: min(max(a, 0), 256) and
    // 255 - min(keep, 255), as InkBlend::Over takes them.
    static void Shares(__m128i weights, __m128i& keep, __m128i& ink)
    {
        keep = _mm_min_epi16(_mm_max_epi16(weights, _mm_setzero_si128()), _mm_set1_epi16(256));
        ink = _mm_sub_epi16(_mm_set1_epi16(255), _mm_min_epi16(keep, _mm_set1_epi16(255)));
    }

    // first and second: four pixels each; weights: the eight pixels' weights.
    void Over(__m128i& first, __m128i& second, __m128i weights) const
    {
        __m128i keep, ink;
        Shares(weights, keep, ink);
        first = OverFour(first, _mm_unpacklo_epi16(keep, keep), _mm_unpacklo_epi16(ink, ink));
        second = OverFour(second, _mm_unpackhi_epi16(keep, keep), _mm_unpackhi_epi16(ink, ink));
    }

private:
    // keep and ink: each pixel's weight twice, pixel by pixel.
    __m128i OverFour(__m128i old, __m128i keep, __m128i ink) const
    {
        const __m128i zero = _mm_setzero_si128();
        const __m128i low = OverTwo(_mm_unpacklo_epi8(old, zero), _mm_unpacklo_epi32(keep, keep),
                                    _mm_unpacklo_epi32(ink, ink));
        const __m128i high = OverTwo(_mm_unpackhi_epi8(old, zero), _mm_unpackhi_epi32(keep, keep),
                                     _mm_unpackhi_epi32(ink, ink));
        return _mm_or_si128(_mm_packus_epi16(low, high), _mm_set1_epi32(int(0xFF000000u)));
    }
    __m128i OverTwo(__m128i channels, __m128i keep, __m128i ink) const
    {
        return _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(channels, keep), _mm_mullo_epi16(m_ink, ink)), 8);
    }

    __m128i m_ink;  // blue, green, red, 0 for two pixels
};
#endif
