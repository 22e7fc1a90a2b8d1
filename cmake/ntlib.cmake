# A shared-utility library is built twice: plainly, for the programs that compile it in, and
# with its classes marked for export (NT_EXPORTS), for glimter.dll, which re-exports them.
#   nt_add_common_library(ntskin SOURCES a.cpp b.cpp COMMON ntxml ntwindow LIBS gdiplus)
# COMMON names other shared-utility libraries (linked in the matching variant), LIBS anything else.
function(nt_add_common_library name)
  cmake_parse_arguments(L "" "" "SOURCES;COMMON;LIBS" ${ARGN})
  foreach(variant "" "_export")
    add_library(${name}${variant} STATIC ${L_SOURCES})
    target_include_directories(${name}${variant} PUBLIC "${CMAKE_SOURCE_DIR}")
    foreach(dep IN LISTS L_COMMON)
      target_link_libraries(${name}${variant} PUBLIC ${dep}${variant})
    endforeach()
    target_link_libraries(${name}${variant} PUBLIC ${L_LIBS})
  endforeach()
  target_compile_definitions(${name}_export PUBLIC NT_EXPORTS)
  # Built only when glimter.dll links it.
  set_target_properties(${name}_export PROPERTIES EXCLUDE_FROM_ALL TRUE)
endfunction()

# Puts a deliverable's binary into the program folder.
function(nt_deliverable target)
  set_target_properties(${target} PROPERTIES
    RUNTIME_OUTPUT_DIRECTORY "${NT_DIST_DIR}"
    LIBRARY_OUTPUT_DIRECTORY "${NT_DIST_DIR}"
    PREFIX "")
endfunction()
