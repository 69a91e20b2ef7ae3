// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// While it lives, the calling thread meets file permissions as a normal user does: root's
// power to override them (CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH), and to open a terminal
// that another holds in exclusive use (CAP_SYS_ADMIN), is taken from the thread's effective
// capabilities and given back at the end. For a normal user it changes nothing; the
// permissions hold anyway.
#pragma once

class WithoutFileOverride {
public:
    WithoutFileOverride();
    ~WithoutFileOverride();
    WithoutFileOverride(const WithoutFileOverride &) = delete;
    WithoutFileOverride &operator=(const WithoutFileOverride &) = delete;

    // False when the override could not be taken away (permissions are not what they seem).
    bool holds() const { return m_holds; }

private:
    bool m_holds = false;
    bool m_dropped = false;
    unsigned m_savedEffective = 0;
};
