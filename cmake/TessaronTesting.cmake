# GoogleTest and tessaron_add_test(): one test executable per area.
if(CMAKE_CROSSCOMPILING)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
else()
  find_package(GTest REQUIRED)
  include(GoogleTest)
endif()

# tessaron_add_test(NAME SOURCES file... LIBS lib...)
function(tessaron_add_test name)
  cmake_parse_arguments(PARSE_ARGV 1 ARG "" "" "SOURCES;LIBS")
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest_main)
  if(CMAKE_CROSSCOMPILING)
    # One Wine process per executable: starting Wine per case costs seconds.
    add_test(NAME ${name} COMMAND ${name})
  else()
    # Labelled by executable, so a preset can pick the engine's and the console's.
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST PROPERTIES LABELS ${name})
  endif()
endfunction()
