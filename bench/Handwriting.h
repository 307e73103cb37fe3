#pragma once
// Pen samples that move like handwriting: a run of cursive loops, sampled every few pixels
// the way a tablet reports a moving pen, with pressure that rises at pen-down and fades at
// pen-up. The benchmarks write with it.

#include "platform/WinTypes.h"

#include <vector>

struct PenSample {
    LONG x = 0;
    LONG y = 0;
    double pressure = 0;  // 0..1
};

struct CursiveStyle {
    double size = 40;      // height of a loop, pixels
    double advance = 0.45; // forward travel per loop, in loop heights
    double spacing = 3;    // pixels between samples
    unsigned seed = 1;     // varies the loops a little
};

// Loops from (x, y) (the middle of the writing line) rightwards until count samples exist.
std::vector<PenSample> CursiveSamples(double x, double y, int count, const CursiveStyle& style);

// A gentle wave from (x, y) of the given length, for broad brush strokes.
std::vector<PenSample> WaveSamples(double x, double y, double length, double amplitude, double spacing);
