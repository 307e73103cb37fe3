#pragma once
// Lays ink over a list of a surface's pixels: those at centre + place[i] for i < n, each with a
// weight as InkBlend::Over takes it. The weights are worked out in the blend's own registers,
// sixteen at a time, from one of two forms; lists and the arrays of the forms come in whole
// blocks of kLanes, and what lies past n is read but not used.

#include "platform/ColorRef.h"

#include <QRgb>

#include <cstdint>

class ListBlend {
public:
    static constexpr int kLanes = 16;

    // The ways of blending: a pixel at a time, and in SSE2's and AVX2's registers. All give the
    // same pixels; Widest is the widest this build and processor have.
    enum class Lanes { Single, Sse2, Avx2 };
    static Lanes Widest();

    // lanes: those asked for, or the widest there are below them.
    ListBlend(LONG red, LONG green, LONG blue, Lanes lanes = Widest())
        : m_red(red), m_green(green), m_blue(blue), m_lanes(lanes)
    {
    }

    // Weights weights[i] + offset, in 16 bits.
    void Listed(QRgb* centre, const int32_t* place, int n, const int16_t* weights, LONG offset) const;
    // Weights |dx[i] × stepX − dy[i] × stepY + d0| + offset, in 16 bits: a directed nib's, whose
    // offsets lie within 6 and scales within 300.
    void Directed(QRgb* centre, const int32_t* place, int n, const int16_t* dx, const int16_t* dy, LONG stepX,
                  LONG stepY, LONG d0, LONG offset) const;

private:
    template <typename Weights>
    void Blend(QRgb* centre, const int32_t* place, int n, const Weights& weights) const;

    LONG m_red;
    LONG m_green;
    LONG m_blue;
    Lanes m_lanes;
};
