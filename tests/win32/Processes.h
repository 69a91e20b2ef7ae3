// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// Other processes for the tests: run one and wait for its exit code; find, stop and go on
// with the processes of one program.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace wine_tests {

// The program's exit code, or -1 when it could not run or did not end within a minute.
long runAndWait(const std::wstring &program, const std::wstring &arguments);
// The processes running now whose executable has this file name.
std::vector<DWORD> processesNamed(const wchar_t *fileName);
// Suspends or resumes every thread of the process; false when one could not be.
bool suspendProcess(DWORD process, bool suspend);
bool endProcess(DWORD process);

} // namespace wine_tests
