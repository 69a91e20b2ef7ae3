// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The registry of the machine the program runs on: the Windows registry on Windows, an
// empty one elsewhere. One instance for the whole program, used on the UI thread.
#pragma once

class Registry;

Registry &systemRegistry();
