// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "WithoutFileOverride.h"

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

constexpr unsigned kOverrides = (1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH) | (1u << CAP_SYS_ADMIN);

// The raw calls act on this thread alone, unlike the C library's set*id family.
bool capabilities(__user_cap_data_struct (&data)[2])
{
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    return ::syscall(SYS_capget, &header, data) == 0;
}

bool setCapabilities(__user_cap_data_struct (&data)[2])
{
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    return ::syscall(SYS_capset, &header, data) == 0;
}

} // namespace

WithoutFileOverride::WithoutFileOverride()
{
    __user_cap_data_struct data[2]{};
    if (!capabilities(data))
        return;
    m_savedEffective = data[0].effective;
    if (!(data[0].effective & kOverrides)) {
        m_holds = true;
        return;
    }
    data[0].effective &= ~kOverrides;
    m_dropped = m_holds = setCapabilities(data);
}

WithoutFileOverride::~WithoutFileOverride()
{
    if (!m_dropped)
        return;
    __user_cap_data_struct data[2]{};
    if (capabilities(data)) {
        data[0].effective = m_savedEffective;
        setCapabilities(data);
    }
}
