#include "LatencySamples.h"

#include <algorithm>

CLatencySamples::CLatencySamples(size_t capacity) : m_samples(capacity, 0) {}

CLatencySamples::Summary CLatencySamples::Summarise()
{
    Summary summary;
    summary.count = m_count;
    if (m_count == 0)
        return summary;
    std::sort(m_samples.begin(), m_samples.begin() + static_cast<std::ptrdiff_t>(m_count));
    // The sample below which the fraction of all samples lies (nearest rank).
    auto at = [&](double fraction) {
        size_t rank = static_cast<size_t>(fraction * static_cast<double>(m_count) + 0.999999);
        rank = std::min(std::max<size_t>(rank, 1), m_count);
        return m_samples[rank - 1] / 1000.0;
    };
    summary.p50 = at(0.50);
    summary.p99 = at(0.99);
    summary.p999 = at(0.999);
    summary.max = m_samples[m_count - 1] / 1000.0;
    return summary;
}
