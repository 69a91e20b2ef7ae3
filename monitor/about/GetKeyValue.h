// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// Reads one registry value as text: a string value as its text, a 32-bit value as "&h"
// and its hexadecimal digits (261 gives "&h105"); any other type leaves KeyVal as passed.
// Keys are opened for reading only, so a user without administrative rights can read them.
// Returns false, with KeyVal empty, when the key or value is missing or the value does
// not fit in 1024 characters.
#pragma once

#include <QString>

class Registry;

bool GetKeyValue(Registry &registry, quint32 KeyRoot, const QString &KeyName, const QString &SubKeyRef,
                 QString &KeyVal);
