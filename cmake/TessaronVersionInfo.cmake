# tessaron_version_info(<target> DESCRIPTION <text> FILE_NAME <name.exe>)
# Gives a Windows program a version resource (Explorer's Properties tab) that
# takes its numbers from version.h; elsewhere it does nothing.
function(tessaron_version_info target)
  if(NOT WIN32)
    return()
  endif()
  cmake_parse_arguments(PARSE_ARGV 1 ARG "" "DESCRIPTION;FILE_NAME" "")
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}-version.rc)
  configure_file(${CMAKE_CURRENT_FUNCTION_LIST_DIR}/version.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
  target_link_libraries(${target} PRIVATE tessaron_version)
endfunction()
