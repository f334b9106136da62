#pragma once
// The benchmarks' summary statistic: the sample at a fraction of the sorted samples
// (0.5: median, 0.99: 99th percentile); 0 without samples.
#include <algorithm>
#include <cstddef>
#include <vector>

inline double percentile(std::vector<double> samples, double fraction) {
    if (samples.empty())
        return 0.0;
    std::sort(samples.begin(), samples.end());
    const auto index = static_cast<std::size_t>(fraction * double(samples.size() - 1) + 0.5);
    return samples[std::min(index, samples.size() - 1)];
}
