// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "SystemRegistry.h"

#ifdef _WIN32
#include "WindowsRegistry.h"
#else
#include "MemoryRegistry.h"
#endif

Registry &systemRegistry()
{
#ifdef _WIN32
    static WindowsRegistry registry;
#else
    static MemoryRegistry registry;
#endif
    return registry;
}
