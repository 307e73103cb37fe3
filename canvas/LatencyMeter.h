#pragma once
// How long the pen's packets take to reach the screen: each sample runs from a packet's time
// stamp (the input event's, in milliseconds of the monotonic clock the window system stamps
// events with) to the moment the paint that shows its ink was flushed. The last kSamples are
// kept for the median and the 95th percentile the status line shows.

#include "platform/Rect.h"

#include <QString>

#include <vector>

class LatencyMeter {
public:
    static constexpr size_t kSamples = 500;
    // A stamp further than this from now belongs to another clock and is not counted.
    static constexpr double kImplausibleMs = 10000;

    // The monotonic clock now, in milliseconds, in the range of 32-bit event stamps.
    static double NowMs();
    // The packet stamped eventMs is on the screen at shownMs.
    void Add(DWORD eventMs, double shownMs);
    size_t Count() const { return m_samples.size(); }
    double Median() const { return Percentile(0.5); }
    double Percentile95() const { return Percentile(0.95); }
    // "Pen to screen: median 1.4 ms, p95 3.2 ms", or empty before the first sample.
    QString StatusText() const;

private:
    double Percentile(double p) const;

    std::vector<double> m_samples;  // a ring once full
    size_t m_next = 0;
};
