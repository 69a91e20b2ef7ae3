# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
# TOVANA_SANITIZE (the asan preset): every target of the project under AddressSanitizer and
# UndefinedBehaviorSanitizer, stopping at the first finding. With clang the code also
# carries libFuzzer's coverage, so the fuzz targets share these libraries.
option(TOVANA_SANITIZE "Build every target under AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
if(NOT TOVANA_SANITIZE)
  return()
endif()

add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
add_link_options(-fsanitize=address,undefined)
if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  add_compile_options(-fsanitize=fuzzer-no-link)
  set(TOVANA_FUZZ ON)
else()
  message(STATUS "Fuzz targets need clang; ${CMAKE_CXX_COMPILER_ID} builds the sanitizer suite only")
  set(TOVANA_FUZZ OFF)
endif()
