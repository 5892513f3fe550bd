# The demo stages' objects (battle_*.cpp): a library for the demo data tool,
# and the test that the game's reader reads what it writes. Included from
# tools/CMakeLists.txt; the paths hold from any including folder.
add_library(demodata_battle STATIC ${CMAKE_CURRENT_LIST_DIR}/battle_stages.cpp)
target_include_directories(demodata_battle PUBLIC ${PROJECT_SOURCE_DIR})

if(VEZIV_TESTS)
  add_executable(demodata_battle_tests ${CMAKE_CURRENT_LIST_DIR}/battle_stages_test.cpp)
  target_link_libraries(demodata_battle_tests PRIVATE demodata_battle veziv_battle veziv_test_main GTest::gmock
                        Threads::Threads)
  veziv_register_tests(demodata_battle_tests)
endif()
