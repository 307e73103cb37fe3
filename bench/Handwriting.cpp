#include "Handwriting.h"

#include <algorithm>
#include <cmath>
#include <random>

namespace {

constexpr double kPi = 3.14159265358979323846;

// Pressure of sample i of n: up over the first samples, down over the last, a slow swell between.
double PressureAt(int i, int n, double phase)
{
    const double ramp = 8.0;
    const double in = std::min(1.0, (i + 1) / ramp);
    const double out = std::min(1.0, (n - i) / ramp);
    const double swell = 0.8 + 0.2 * std::sin(phase + i * 0.07);
    return std::clamp(in * out * swell, 0.0, 1.0);
}

}  // namespace

std::vector<PenSample> CursiveSamples(double x, double y, int count, const CursiveStyle& style)
{
    std::mt19937 random(style.seed);
    std::uniform_real_distribution<double> jitter(0.85, 1.15);
    const double radius = style.size / 2;
    const double advancePerRadian = style.size * style.advance / (2 * kPi);

    std::vector<PenSample> samples;
    samples.reserve(size_t(std::max(count, 0)));
    double theta = 0;
    double loopRadius = radius * jitter(random);
    int loop = 0;
    while (int(samples.size()) < count) {
        const double px = x + advancePerRadian * theta + loopRadius * std::sin(theta);
        const double py = y - loopRadius * std::cos(theta) + radius;
        samples.push_back({LONG(std::lround(px)), LONG(std::lround(py)), 0});
        // Step so the pen travels about `spacing` pixels per sample.
        const double vx = advancePerRadian + loopRadius * std::cos(theta);
        const double vy = loopRadius * std::sin(theta);
        const double speed = std::max(0.5, std::hypot(vx, vy));
        theta += style.spacing / speed;
        if (int(theta / (2 * kPi)) != loop) {
            loop = int(theta / (2 * kPi));
            loopRadius = radius * jitter(random);
        }
    }
    const double phase = double(style.seed % 7);
    for (int i = 0; i < count; ++i)
        samples[size_t(i)].pressure = PressureAt(i, count, phase);
    return samples;
}

std::vector<PenSample> WaveSamples(double x, double y, double length, double amplitude, double spacing)
{
    const int n = std::max(2, int(length / spacing));
    std::vector<PenSample> samples;
    samples.reserve(size_t(n));
    for (int i = 0; i < n; ++i) {
        const double t = double(i) / (n - 1);
        const double px = x + t * length;
        const double py = y + amplitude * std::sin(t * 2 * kPi);
        samples.push_back({LONG(std::lround(px)), LONG(std::lround(py)), std::sin(t * kPi)});
    }
    return samples;
}
