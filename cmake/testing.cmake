# Tests are Windows programs run under 64-bit Wine (scripts/wine-run). Each test program runs
# isolated, so that several run at once: in its own copy of a template prefix (registry, temporary
# folder, clipboard and processes of its own), on its own Xvfb, with its wineserver stopped at the
# end. One executable per subsystem keeps Wine start-up from dominating.
option(NT_TESTS "Build the tests" ON)
set(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_SOURCE_DIR}/scripts/wine-run")
set(NT_WINE_TEMPLATE "${CMAKE_BINARY_DIR}/wineprefix-template")
set(NT_WINEPREFIXES "${CMAKE_BINARY_DIR}/wineprefixes")
set(NT_SIMULATOR "${CMAKE_SOURCE_DIR}/tools/simulator/simulator.py")
set(NT_SIMULATOR_PORT_FILE "${CMAKE_BINARY_DIR}/simulator.port")
enable_testing()

#   nt_add_test(test_xml SOURCES a.cpp b.cpp LIBS ntxml [SIMULATOR] [GUI] [TIMEOUT 300])
# SIMULATOR: the test needs the platform simulator (ctest fixture); its port is in the file
#   named by the environment variable NTSIM_PORT_FILE (a Unix path: prefix it with Z:). Each test
#   process works in lanes of its own, so such tests run side by side.
# GUI: the test drives real windows and input. Its display is its own, so it runs beside others;
#   it is started before the plain tests, as the GUI tests take longest.
function(nt_add_test name)
  cmake_parse_arguments(T "SIMULATOR;GUI" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  if(NOT NT_TESTS)
    return()
  endif()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE gtest gtest_main ${T_LIBS})
  target_include_directories(${name} PRIVATE "${CMAKE_SOURCE_DIR}" "${CMAKE_SOURCE_DIR}/tests")
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}/tests")
  add_test(NAME ${name} COMMAND ${name} --gtest_color=no)
  set(env "NT_WINEPREFIX=${NT_WINEPREFIXES}/${name}" "NT_WINE_TEMPLATE=${NT_WINE_TEMPLATE}"
          "NT_SOURCE_DIR=${CMAKE_SOURCE_DIR}" "NT_BINARY_DIR=${CMAKE_BINARY_DIR}")
  if(T_SIMULATOR)
    list(APPEND env "NTSIM_PORT_FILE=${NT_SIMULATOR_PORT_FILE}")
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED simulator)
  endif()
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "${env}")
  if(T_GUI)
    set_tests_properties(${name} PROPERTIES COST 100)
  endif()
  if(T_TIMEOUT)
    set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT})
  else()
    set_tests_properties(${name} PROPERTIES TIMEOUT 600)
  endif()
endfunction()

#   nt_add_fuzz_test(fuzz_xml RUNS 5000)
# The native fuzz target's smoke pass (scripts/fuzz -n): its seeds, then inputs up to RUNS in all
# from a fixed random seed. Longer sessions are for scripts/fuzz by hand.
function(nt_add_fuzz_test name)
  cmake_parse_arguments(F "" "RUNS" "" ${ARGN})
  if(NOT NT_TESTS OR NOT NT_NATIVE_DIR)
    return()
  endif()
  add_test(NAME ${name} COMMAND "${CMAKE_SOURCE_DIR}/scripts/fuzz" -n ${F_RUNS} ${name})
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "NT_NATIVE_DIR=${NT_NATIVE_DIR}" TIMEOUT 300)
endfunction()

if(NT_TESTS)
  add_test(NAME simulator_start
           COMMAND python3 "${NT_SIMULATOR}" --daemon --port-file "${NT_SIMULATOR_PORT_FILE}")
  set_tests_properties(simulator_start PROPERTIES FIXTURES_SETUP simulator)
  add_test(NAME simulator_stop
           COMMAND python3 "${NT_SIMULATOR}" --stop --port-file "${NT_SIMULATOR_PORT_FILE}")
  set_tests_properties(simulator_stop PROPERTIES FIXTURES_CLEANUP simulator)
endif()
