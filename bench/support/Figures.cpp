// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "Figures.h"

#include <algorithm>

namespace bench {

namespace {

double sortedAt(const std::vector<double> &sorted, double share)
{
    return sorted[std::min(sorted.size() - 1, std::size_t(share * double(sorted.size())))];
}

} // namespace

double percentile(std::vector<double> samples, double share)
{
    if (samples.empty())
        return 0;
    std::sort(samples.begin(), samples.end());
    return sortedAt(samples, share);
}

Spread spread(std::vector<double> samples)
{
    if (samples.empty())
        return {};
    std::sort(samples.begin(), samples.end());
    return {samples.front(), sortedAt(samples, 0.5), sortedAt(samples, 0.9), sortedAt(samples, 0.99), samples.back()};
}

} // namespace bench
