// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "Checks.h"

#include <cstdio>

namespace wine_tests {

bool Checks::check(bool ok, const std::string &what)
{
    if (ok)
        ++m_passed;
    else {
        ++m_failed;
        if (m_messages.size() < 20) // enough to see the pattern of a broken table
            m_messages.push_back(what);
    }
    return ok;
}

bool Checks::equal(long long actual, long long expected, const std::string &what)
{
    return check(actual == expected,
                 what + ": got " + std::to_string(actual) + ", expected " + std::to_string(expected));
}

bool Checks::equal(const std::string &actual, const std::string &expected, const std::string &what)
{
    return check(actual == expected, what + ": got \"" + actual + "\", expected \"" + expected + "\"");
}

void Checks::report(const std::string &name, int passed, int failed) const
{
    std::printf("%s %s (%d checks)\n", failed == 0 && passed > 0 ? "ok  " : "FAIL", name.c_str(), passed + failed);
    for (const auto &message : m_messages)
        std::printf("    %s\n", message.c_str());
    std::fflush(stdout);
}

void Checks::summary() const
{
    std::printf("%d passed, %d failed\n", m_passed, m_failed);
    std::fflush(stdout);
}

} // namespace wine_tests
