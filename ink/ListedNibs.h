#pragma once
// The pixels of the nibs a thread stamps, listed nearest first with their places on the
// surface, so that a nib is blended from a list rather than by walking thirteen rows of mask
// bits. A stroke comes back to the same few dozen directed masks and the same disc per
// width over and over: each list is made the first time its thread needs it.

#include "platform/ColorRef.h"

#include <QRgb>

#include <array>
#include <cstdint>

class ListedNibs {
public:
    static constexpr int kReach = 6;    // offsets -6..6 around the centre
    static constexpr int kKeys = 180;   // the directed masks that have a number
    using Mask = std::array<DWORD, 2 * kReach + 1>;  // row r: dy = r - 6; bit b: dx = 6 - b

    // Where the first within[r] pixels of a list lie on a surface: offsets from the centre
    // pixel for rows of rowPixels pixels.
    struct Places {
        uint8_t within[kReach + 1] = {};
        int32_t rowPixels = 0;
    };

    // A directed nib's mask with its centre.
    struct Nib : Places {
        static constexpr int kMost = 48;  // masks with more pixels are not listed
        bool made = false;
        bool listed = false;
        Mask mask{};
        alignas(16) int16_t dx[kMost] = {};
        alignas(16) int16_t dy[kMost] = {};
        int32_t place[kMost] = {};
        void Make(const Mask& from);
        void PlaceOn(int32_t pixelsPerRow)
        {
            if (pixelsPerRow != rowPixels)
                Place(*this, pixelsPerRow);
        }
    };

    // The pixels a disc centred on its pixel changes (ink: per row, the offsets), each with its
    // weight: distances (the disc's, [dy + 6][dx + 6] in one row) plus offset.
    struct Disc : Places {
        static constexpr int kMost = 176;  // every offset, in whole blocks
        bool made = false;
        alignas(16) int16_t weight[kMost] = {};
        int8_t dx[kMost] = {};
        int8_t dy[kMost] = {};
        int32_t place[kMost] = {};
        void Make(const Mask& ink, const LONG* distances, LONG offset);
        void PlaceOn(int32_t pixelsPerRow)
        {
            if (pixelsPerRow != rowPixels)
                Place(*this, pixelsPerRow);
        }
    };

    // Every offset of a round nib at one scale, nearest first, weighed by distance alone: a
    // disc of another width than its scale's takes those its ink reaches, the first
    // Reached(bound) of them.
    struct Round {
        static constexpr int kCount = (2 * kReach + 1) * (2 * kReach + 1);
        static constexpr int kMost = 176;  // every offset, in whole blocks
        bool made = false;
        int32_t rowPixels = 0;
        alignas(16) int16_t weight[kMost] = {};
        uint8_t ring[kMost] = {};  // the furthest ring of the first i + 1 offsets
        int8_t dx[kMost] = {};
        int8_t dy[kMost] = {};
        int32_t place[kMost] = {};
        // distances: the nib's, [dy + 6][dx + 6] in one row, none negative.
        void Make(const LONG* distances);
        // The number of offsets whose distance is below bound.
        int Reached(LONG bound) const;
        void PlaceOn(int32_t pixelsPerRow)
        {
            if (pixelsPerRow != rowPixels)
                Place(*this, pixelsPerRow);
        }
    };

    // This thread's lists.
    static ListedNibs& OfThisThread();

    Nib& NibFor(int key) { return m_nibs[size_t(key)]; }
    Disc& DiscFor(LONG width) { return m_discs[size_t(width)]; }
    // For discs stamped at another width than the ink's: scales kFirstScale..kLastScale.
    static constexpr LONG kFirstScale = 100;
    static constexpr LONG kLastScale = 300;
    Round& RoundFor(LONG scale) { return m_rounds[size_t(scale - kFirstScale)]; }

private:
    template <typename List>
    static void Place(List& list, int32_t pixelsPerRow)
    {
        list.rowPixels = pixelsPerRow;
        for (int i = 0; i < List::kMost; ++i)
            list.place[i] = list.dy[i] * pixelsPerRow + list.dx[i];
    }

    std::array<Nib, kKeys> m_nibs;
    std::array<Disc, 256> m_discs;  // by width
    std::array<Round, kLastScale - kFirstScale + 1> m_rounds;
};
