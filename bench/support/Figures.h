// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The figures a benchmark reports of its samples: the value below which a share of them lies
// (0.5 the median, 0.99 the p99), taken from the sorted samples, never interpolated.
#pragma once

#include <vector>

namespace bench {

// 0 when there are no samples.
double percentile(std::vector<double> samples, double share);

struct Spread {
    double min = 0;
    double median = 0;
    double p90 = 0;
    double p99 = 0;
    double max = 0;
};
Spread spread(std::vector<double> samples);

} // namespace bench
