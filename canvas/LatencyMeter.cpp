#include "LatencyMeter.h"

#include <algorithm>
#include <chrono>
#include <cmath>

double LatencyMeter::NowMs()
{
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    const double ms = std::chrono::duration<double, std::milli>(now).count();
    return std::fmod(ms, 4294967296.0);  // event stamps wrap at 2^32 ms
}

void LatencyMeter::Add(DWORD eventMs, double shownMs)
{
    double latency = shownMs - double(eventMs);
    if (latency < -2147483648.0)
        latency += 4294967296.0;  // the stamp was taken before the clock wrapped
    if (latency < 0 || latency > kImplausibleMs)
        return;
    if (m_samples.size() < kSamples) {
        m_samples.push_back(latency);
        return;
    }
    m_samples[m_next] = latency;
    m_next = (m_next + 1) % kSamples;
}

double LatencyMeter::Percentile(double p) const
{
    if (m_samples.empty())
        return 0;
    std::vector<double> sorted = m_samples;
    const size_t rank = std::min(sorted.size() - 1, size_t(std::ceil(p * double(sorted.size())) - 1));
    std::nth_element(sorted.begin(), sorted.begin() + qsizetype(rank), sorted.end());
    return sorted[rank];
}

QString LatencyMeter::StatusText() const
{
    if (m_samples.empty())
        return QString();
    return QStringLiteral("Pen to screen: median %1 ms, p95 %2 ms (%3 packets)")
        .arg(Median(), 0, 'f', 1)
        .arg(Percentile95(), 0, 'f', 1)
        .arg(m_samples.size());
}
