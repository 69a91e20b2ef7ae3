// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "ServerLifetime.h"

#include <objbase.h>

namespace tethra::com::lifetime {
namespace {
long count = 0;
DWORD registration = 0;
} // namespace

void setClassRegistration(DWORD cookie)
{
    registration = cookie;
}

void hold()
{
    ++count;
}

void release()
{
    if (--count != 0)
        return;
    if (registration != 0) {
        CoRevokeClassObject(registration);
        registration = 0;
    }
    PostQuitMessage(0);
}

} // namespace tethra::com::lifetime
