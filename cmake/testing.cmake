# Tests are Windows programs run under 64-bit Wine (scripts/wine-run) with a private prefix
# under the build folder. One executable per subsystem keeps Wine start-up from dominating.
option(NT_TESTS "Build the tests" ON)
set(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_SOURCE_DIR}/scripts/wine-run")
set(NT_WINEPREFIX "${CMAKE_BINARY_DIR}/wineprefix")
set(NT_SIMULATOR "${CMAKE_SOURCE_DIR}/tools/simulator/simulator.py")
set(NT_SIMULATOR_PORT_FILE "${CMAKE_BINARY_DIR}/simulator.port")
enable_testing()

#   nt_add_test(test_xml SOURCES a.cpp b.cpp LIBS ntxml [SIMULATOR] [GUI] [TIMEOUT 300])
# SIMULATOR: the test needs the platform simulator (ctest fixture); its port is in the file
#   named by the environment variable NTSIM_PORT_FILE (a Unix path: prefix it with Z:).
# GUI: the test drives real windows and input, so it runs alone.
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
  set(env "NT_WINEPREFIX=${NT_WINEPREFIX}" "NT_SOURCE_DIR=${CMAKE_SOURCE_DIR}"
          "NT_BINARY_DIR=${CMAKE_BINARY_DIR}")
  if(T_SIMULATOR)
    list(APPEND env "NTSIM_PORT_FILE=${NT_SIMULATOR_PORT_FILE}")
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED simulator)
  endif()
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "${env}")
  if(T_GUI)
    set_tests_properties(${name} PROPERTIES RUN_SERIAL TRUE)
  endif()
  if(T_TIMEOUT)
    set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT})
  else()
    set_tests_properties(${name} PROPERTIES TIMEOUT 600)
  endif()
endfunction()

if(NT_TESTS)
  add_test(NAME simulator_start
           COMMAND python3 "${NT_SIMULATOR}" --daemon --port-file "${NT_SIMULATOR_PORT_FILE}")
  set_tests_properties(simulator_start PROPERTIES FIXTURES_SETUP simulator)
  add_test(NAME simulator_stop
           COMMAND python3 "${NT_SIMULATOR}" --stop --port-file "${NT_SIMULATOR_PORT_FILE}")
  set_tests_properties(simulator_stop PROPERTIES FIXTURES_CLEANUP simulator)
endif()
