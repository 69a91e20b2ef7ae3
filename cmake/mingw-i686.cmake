# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
# Cross build of the Windows link server with mingw-w64 (Debian's g++-mingw-w64-*-win32).
# The published target is 32-bit Windows (i686): clients bind to 32-bit byte offsets.
# TOVANA_WINDOWS_ARCH=x86_64 builds the same sources as 64-bit programs, for hosts whose
# Wine can run only 64-bit programs (the tests there); the type library stays a 32-bit one.
set(TOVANA_WINDOWS_ARCH i686 CACHE STRING "i686 (the published target) or x86_64")
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${TOVANA_WINDOWS_ARCH})

set(TOOLCHAIN_PREFIX ${TOVANA_WINDOWS_ARCH}-w64-mingw32)
set(CMAKE_C_COMPILER ${TOOLCHAIN_PREFIX}-gcc)
set(CMAKE_CXX_COMPILER ${TOOLCHAIN_PREFIX}-g++)
set(CMAKE_RC_COMPILER ${TOOLCHAIN_PREFIX}-windres)
set(TOVANA_WIDL ${TOOLCHAIN_PREFIX}-widl)

set(CMAKE_FIND_ROOT_PATH /usr/${TOOLCHAIN_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
