// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// Finds the system-information tool and starts it, in this order: the path in value
// "PATH" of HKLM "SOFTWARE\Microsoft\Shared Tools\MSINFO" (started without an existence
// test); the folder in value "MSINFO" of "SOFTWARE\Microsoft\Shared Tools Location" with
// "\MSINFO32.EXE" when that file exists; where the registry names no tool at all (Linux),
// the first known system-information program on PATH. When nothing is found or the start
// fails, shows "System Information Is Unavailable At This Time" over parent, not waiting.
#pragma once

class QWidget;
struct SysInfoServices;

void StartSysInfo(const SysInfoServices &services, QWidget *parent);
