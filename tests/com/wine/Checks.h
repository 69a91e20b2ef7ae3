// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// A tiny check recorder for the Wine tests (no GoogleTest for mingw here): each group prints
// one line, failures print what differed, and the summary is "N passed, M failed".
#pragma once

#include <string>
#include <vector>

namespace wine_tests {

class Checks {
public:
    // Records one check; returns ok so a caller can stop early on a broken precondition.
    bool check(bool ok, const std::string &what);
    bool equal(long long actual, long long expected, const std::string &what);
    bool equal(const std::string &actual, const std::string &expected, const std::string &what);

    // Runs one group of checks and prints its line.
    template <typename Body>
    void group(const std::string &name, Body body)
    {
        const int failedBefore = m_failed;
        const int passedBefore = m_passed;
        m_messages.clear();
        body(*this);
        if (m_passed == passedBefore && m_failed == failedBefore)
            check(false, "the group ran no check");
        report(name, m_passed - passedBefore, m_failed - failedBefore);
    }

    int failed() const { return m_failed; }
    void summary() const;

private:
    void report(const std::string &name, int passed, int failed) const;

    int m_passed = 0;
    int m_failed = 0;
    std::vector<std::string> m_messages;
};

} // namespace wine_tests
