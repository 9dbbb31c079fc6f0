// The duration of every timed call, kept in an array allocated (and touched)
// before the run, so that taking a sample never allocates. Durations are
// stored in nanoseconds, capped at about 4.29 s.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <vector>

class CLatencySamples {
public:
    explicit CLatencySamples(size_t capacity);

    // Ignored once the array is full.
    void Add(std::chrono::steady_clock::duration duration)
    {
        if (m_count < m_samples.size())
            m_samples[m_count++] = Clamp(std::chrono::duration_cast<std::chrono::nanoseconds>(duration).count());
    }

    struct Summary {
        size_t count = 0;
        double p50 = 0, p99 = 0, p999 = 0, max = 0; // microseconds
    };
    // Sorts the samples (so call it after the run).
    Summary Summarise();

    // What the array takes in memory (it is resident from the start).
    size_t Bytes() const { return m_samples.size() * sizeof(uint32_t); }

private:
    static uint32_t Clamp(long long nanoseconds)
    {
        return nanoseconds < 0 ? 0 : nanoseconds > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(nanoseconds);
    }

    std::vector<uint32_t> m_samples;
    size_t m_count = 0;
};
