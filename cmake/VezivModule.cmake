# veziv_module(<name> [CP932] [PUBLIC_DEPS <targets...>] [DEPS <targets...>]
#              [TEST_DEPS <targets...>] [THREADED_TESTS <gtest filter>])
#
# Makes the static library veziv_<name> from every *.cpp of the calling folder
# and its subfolders (a module's concerns may sit in subfolders) that is not a
# *_test.cpp, and, when tests are on, the test program
# <name>_tests from the *_test.cpp files, each test registered with CTest.
# PUBLIC_DEPS are what the module's headers include, so its users get them
# too; DEPS are used by its sources alone (their include paths and flags stay
# inside the module, only their link reaches the program). TEST_DEPS are
# what the tests use beyond the module.
# THREADED_TESTS names the tests that start threads: a ThreadSanitizer build
# (VEZIV_TSAN) registers only those, under the label "tsan".
# CP932: the folder's literals are compiled to Shift-JIS bytes, as every text
# inside the library and the game is. Only g++ can do that; clang (used for the
# libFuzzer builds) keeps them UTF-8, so its programs are for fuzzing only.
if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  message(WARNING "clang cannot compile literals to CP932: Japanese texts stay UTF-8 in this build")
endif()

function(veziv_module name)
  cmake_parse_arguments(M "CP932" "THREADED_TESTS" "PUBLIC_DEPS;DEPS;TEST_DEPS" ${ARGN})
  file(GLOB_RECURSE all_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  set(sources)
  set(tests)
  foreach(f IN LISTS all_sources)
    if(f MATCHES "_test\\.cpp$")
      list(APPEND tests ${f})
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

  if(VEZIV_TESTS AND tests)
    add_executable(${name}_tests ${tests})
    target_link_libraries(${name}_tests PRIVATE ${target} ${M_TEST_DEPS} GTest::gtest_main GTest::gmock Threads::Threads)
    if(cp932)
      target_compile_options(${name}_tests PRIVATE -finput-charset=UTF-8 -fexec-charset=CP932)
    endif()
    set(environment "VEZIV_HEADLESS=1;SDL_VIDEODRIVER=dummy;SDL_AUDIODRIVER=dummy")
    if(NOT VEZIV_TSAN)
      gtest_discover_tests(${name}_tests
        DISCOVERY_MODE PRE_TEST
        WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
        PROPERTIES ENVIRONMENT "${environment}")
    elseif(M_THREADED_TESTS)
      gtest_discover_tests(${name}_tests
        DISCOVERY_MODE PRE_TEST
        TEST_FILTER "${M_THREADED_TESTS}"
        WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
        PROPERTIES ENVIRONMENT "${environment}" LABELS tsan)
    endif()
  endif()
endfunction()
