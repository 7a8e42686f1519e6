# GoogleTest for both builds. The native build uses Debian's libgtest-dev; the
# win32 build compiles GoogleTest from the sources Debian's googletest package
# installs, and its tests run under Wine through the cross-compiling emulator.
# Without GoogleTest (the "tests" group of scripts/bootstrap) the programs are
# still built and MORVANE_HAVE_GTEST is off: the top level then leaves tests/ out.
include(GoogleTest)

set(MORVANE_GTEST_SRC /usr/src/googletest/googletest)
if(WIN32)
  set(MORVANE_HAVE_GTEST OFF)
  if(EXISTS ${MORVANE_GTEST_SRC}/src/gtest-all.cc)
    set(MORVANE_HAVE_GTEST ON)
  endif()
else()
  find_package(GTest QUIET)
  set(MORVANE_HAVE_GTEST ${GTest_FOUND})
endif()

if(WIN32 AND MORVANE_HAVE_GTEST)
  add_library(morvane_gtest STATIC
    ${MORVANE_GTEST_SRC}/src/gtest-all.cc
    ${MORVANE_GTEST_SRC}/src/gtest_main.cc)
  target_include_directories(morvane_gtest SYSTEM PUBLIC
    ${MORVANE_GTEST_SRC}/include ${MORVANE_GTEST_SRC})
  target_compile_options(morvane_gtest PRIVATE -w -Wno-error)
  add_library(GTest::gtest_main ALIAS morvane_gtest)
endif()

# morvane_add_gtest(name SOURCES ... LIBS ...)
# Native: every test case becomes a ctest entry, labelled with the
# executable's name (the ThreadSanitizer preset runs two executables' tests
# by it). Win32: one ctest entry per
# executable, since each Wine process start costs more than the tests,
# labelled "wine" (scripts/test runs the DLL checks, label "dll", apart, since
# they need no Wine).
function(morvane_add_gtest name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest_main)
  if(WIN32)
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES LABELS wine)
  else()
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST PROPERTIES LABELS ${name})
  endif()
endfunction()
