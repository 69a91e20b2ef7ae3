# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
# tovana_add_gtest(<name> SOURCES ... [LIBS ...] [TEST_PREFIX <prefix>] [PLAIN])
# One GoogleTest executable, its cases registered with CTest one by one (their names
# prefixed, for one source built into several executables). Widgets run on
# the offscreen platform; the shared main() puts the build and source trees' paths into the
# environment (TOVANA_BUILD_DIR, TOVANA_SOURCE_DIR), where child processes see them too.
# PLAIN: a test of plain C++ code, with GoogleTest's own main() and no Qt at all.
function(tovana_add_gtest name)
  cmake_parse_arguments(ARG "PLAIN" "TEST_PREFIX" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  if(ARG_PLAIN)
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest_main project_warnings)
  else()
    target_link_libraries(${name} PRIVATE test_support ${ARG_LIBS} GTest::gtest project_warnings)
  endif()
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 30
    TEST_PREFIX "${ARG_TEST_PREFIX}"
    PROPERTIES
      TIMEOUT 120
      ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()
