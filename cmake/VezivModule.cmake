# veziv_module(<name> [CP932] [PUBLIC_DEPS <targets...>] [DEPS <targets...>]
#              [TEST_DEPS <targets...>] [THREADED_TESTS <gtest filter>]
#              [TEST_TIMEOUT <seconds>])
#
# Makes the static library veziv_<name> from every *.cpp of the calling folder
# and its subfolders (a module's concerns may sit in subfolders) that is not a
# *_test.cpp or *_test_support.cpp, and, when tests are on, the test program
# <name>_tests from the *_test.cpp files, registered by veziv_register_tests.
# The *_test_support.cpp files make veziv_<name>_test_support: what the tests
# use to start a subsystem's tables afresh between tests. It is linked into
# the module's test program (and into others through their TEST_DEPS), never
# into the library a program links.
# PUBLIC_DEPS are what the module's headers include, so its users get them
# too; DEPS are used by its sources alone (their include paths and flags stay
# inside the module, only their link reaches the program). TEST_DEPS are
# what the tests use beyond the module.
# THREADED_TESTS names the tests that start threads: a ThreadSanitizer build
# (VEZIV_TSAN) registers only those.
# TEST_TIMEOUT: for a module whose tests each take a second or two, the time
# after which CTest fails one of them, so that a hang fails the run instead of
# holding it up.
# VEZIV_WERROR makes any warning in the library's own sources an error (the
# test programs keep warnings as warnings).
# CP932: the folder's literals are compiled to Shift-JIS bytes, as every text
# inside the library and the game is. Only g++ can do that; clang (used for the
# libFuzzer builds) keeps them UTF-8, so its programs are for fuzzing only.
if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  message(WARNING "clang cannot compile literals to CP932: Japanese texts stay UTF-8 in this build")
endif()

# veziv_register_tests(<program> [THREADED_TESTS <gtest filter>] [TIMEOUT <seconds>])
#
# Registers a test program with CTest: each test in a process of its own, and
# the whole program once more as <program>_whole, in one process and in an
# order of its own each run (the seed is printed; label "whole"), so that no
# test leans on another's leftovers or on a fresh process. In a
# ThreadSanitizer build only the threaded tests are registered (label "tsan").
# TIMEOUT bounds each test run in a process of its own.
#
# Every test runs under the headless switches. The discovery step passes its
# PROPERTIES on as a flat list, which would split a list-valued ENVIRONMENT
# into property names; so the variables are set by a file of our own that
# CTest reads after the discovered tests.
set(VEZIV_TEST_ENVIRONMENT "VEZIV_HEADLESS=1;SDL_VIDEODRIVER=dummy;SDL_AUDIODRIVER=dummy")
function(veziv_register_tests program)
  cmake_parse_arguments(T "" "THREADED_TESTS;TIMEOUT" "" ${ARGN})
  set(timeout)
  if(T_TIMEOUT)
    set(timeout PROPERTIES TIMEOUT ${T_TIMEOUT})
  endif()
  if(NOT VEZIV_TSAN)
    gtest_discover_tests(${program} DISCOVERY_MODE PRE_TEST WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
                         ${timeout})
    add_test(NAME ${program}_whole COMMAND ${program} --gtest_shuffle --gtest_brief=1
             WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
    set_tests_properties(${program}_whole PROPERTIES LABELS whole ENVIRONMENT "${VEZIV_TEST_ENVIRONMENT}")
  elseif(T_THREADED_TESTS)
    gtest_discover_tests(${program} DISCOVERY_MODE PRE_TEST TEST_FILTER "${T_THREADED_TESTS}"
                         WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR} PROPERTIES LABELS tsan)
  else()
    return()
  endif()
  set(file ${CMAKE_CURRENT_BINARY_DIR}/${program}_environment.cmake)
  file(WRITE ${file}
       "if(${program}_TESTS)\n"
       "  set_tests_properties(\${${program}_TESTS} PROPERTIES ENVIRONMENT \"${VEZIV_TEST_ENVIRONMENT}\")\n"
       "endif()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${file})
endfunction()

function(veziv_module name)
  cmake_parse_arguments(M "CP932" "THREADED_TESTS;TEST_TIMEOUT" "PUBLIC_DEPS;DEPS;TEST_DEPS" ${ARGN})
  file(GLOB_RECURSE all_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  set(sources)
  set(tests)
  set(test_support)
  foreach(f IN LISTS all_sources)
    if(f MATCHES "_test\\.cpp$")
      list(APPEND tests ${f})
    elseif(f MATCHES "_test_support\\.cpp$")
      list(APPEND test_support ${f})
    else()
      list(APPEND sources ${f})
    endif()
  endforeach()

  set(target veziv_${name})
  add_library(${target} STATIC ${sources})
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${target} PUBLIC ${M_PUBLIC_DEPS} PRIVATE ${M_DEPS})
  set(cp932 ${M_CP932})
  if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    set(cp932 FALSE)
  endif()
  if(cp932)
    target_compile_options(${target} PRIVATE -finput-charset=UTF-8 -fexec-charset=CP932)
  endif()
  if(VEZIV_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()

  if(VEZIV_TESTS AND test_support)
    add_library(${target}_test_support STATIC ${test_support})
    target_link_libraries(${target}_test_support PUBLIC ${target})
    if(cp932)
      target_compile_options(${target}_test_support PRIVATE -finput-charset=UTF-8 -fexec-charset=CP932)
    endif()
  endif()

  if(VEZIV_TESTS AND tests)
    add_executable(${name}_tests ${tests})
    target_link_libraries(${name}_tests PRIVATE ${target} ${M_TEST_DEPS} veziv_test_main GTest::gmock Threads::Threads)
    if(test_support)
      target_link_libraries(${name}_tests PRIVATE ${target}_test_support)
    endif()
    if(cp932)
      target_compile_options(${name}_tests PRIVATE -finput-charset=UTF-8 -fexec-charset=CP932)
    endif()
    veziv_register_tests(${name}_tests THREADED_TESTS "${M_THREADED_TESTS}" TIMEOUT "${M_TEST_TIMEOUT}")
  endif()
endfunction()
