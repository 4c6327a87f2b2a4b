# GoogleTest from Debian's sources, built with this build's compiler, and
# qv_add_test() to declare one test program.
set(GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest sources")
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(${GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)

include(GoogleTest)

# The main of every test program (tests/support/TestMain.cpp says why it is
# not GoogleTest's own).
add_library(qv_test_main STATIC ${CMAKE_SOURCE_DIR}/tests/support/TestMain.cpp)
target_link_libraries(qv_test_main PUBLIC GTest::gtest)

if(WIN32)
  # Under Wine every test needs the rig; the cleanup test stops the Xvfb,
  # wineserver and desktop keeper it started once the run is over.
  add_test(NAME wine_rig_stop COMMAND ${CMAKE_SOURCE_DIR}/scripts/wine --home ${QV_WINE_HOME} --stop)
  set_tests_properties(wine_rig_stop PROPERTIES FIXTURES_CLEANUP wine_rig)
  # The 64-bit prefix is made 64-bit by its first start (a new one takes
  # about 15 s), and stopped in the same way.
  add_test(NAME wine64_rig_start COMMAND ${CMAKE_SOURCE_DIR}/scripts/wine --home ${QV_WINE64_HOME} --win64 --start)
  set_tests_properties(wine64_rig_start PROPERTIES FIXTURES_SETUP wine64_rig TIMEOUT 300)
  add_test(NAME wine64_rig_stop COMMAND ${CMAKE_SOURCE_DIR}/scripts/wine --home ${QV_WINE64_HOME} --stop)
  set_tests_properties(wine64_rig_stop PROPERTIES FIXTURES_CLEANUP wine64_rig)
endif()

# qv_add_test(NAME SOURCES ... [LIBS ...] [GUI] [LOCKS ...])
# GUI tests share one display and its keyboard focus: they never run at once.
# LOCKS names other shared state (such as registry keys) to serialise on.
function(qv_add_test name)
  cmake_parse_arguments(T "GUI" "" "SOURCES;LIBS;LOCKS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} qv_test_main)
  set(props TIMEOUT 120)
  if(WIN32)
    list(APPEND props FIXTURES_REQUIRED wine_rig)
    if(T_GUI)
      # Real input and timed events (double clicks, tooltips, repeats) go
      # astray when a heavy test slows the machine: GUI tests run alone.
      list(APPEND T_LOCKS wine_display)
      list(APPEND props RUN_SERIAL TRUE)
    endif()
    if(T_LOCKS)
      list(APPEND props RESOURCE_LOCK "${T_LOCKS}")
    endif()
  endif()
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 120
    PROPERTIES ${props})
endfunction()
