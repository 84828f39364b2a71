# orvanescan_file_list(<name> MANIFEST <manifest> OUTPUT <blob> [ID <n>] [SLAVE] [ALL])
#
# Writes the file list of <manifest> as a FileListBlob <blob> and a
# resource script <blob without extension>.rc holding it as resource <n>
# (default 1) of type FILELIST, with tools/make_filelist.py; the custom
# target <name> builds both (in the default build with ALL). A program carries the list when the .rc is
# one of its sources:
#
#   target_sources(prog PRIVATE <blob without extension>.rc)
#   add_dependencies(prog <name>)
#
# Sets <name>_RC in the caller's scope to the .rc path.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(ORVANESCAN_FILELIST_TOOL ${CMAKE_CURRENT_LIST_DIR}/tools/make_filelist.py)

function(orvanescan_file_list name)
  cmake_parse_arguments(L "SLAVE;ALL" "MANIFEST;OUTPUT;ID" "" ${ARGN})
  if(NOT L_MANIFEST OR NOT L_OUTPUT)
    message(FATAL_ERROR "orvanescan_file_list: MANIFEST and OUTPUT are required")
  endif()
  get_filename_component(manifest "${L_MANIFEST}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_SOURCE_DIR}")
  get_filename_component(dir "${L_OUTPUT}" DIRECTORY)
  get_filename_component(stem "${L_OUTPUT}" NAME_WE)
  set(rc "${dir}/${stem}.rc")
  set(options)
  if(L_SLAVE)
    list(APPEND options --slave)
  endif()
  if(L_ID)
    list(APPEND options --id=${L_ID})
  endif()
  add_custom_command(
    OUTPUT "${L_OUTPUT}" "${rc}"
    COMMAND ${Python3_EXECUTABLE} -B ${ORVANESCAN_FILELIST_TOOL} ${options} "${manifest}" "${L_OUTPUT}" "${rc}"
    DEPENDS "${manifest}" ${ORVANESCAN_FILELIST_TOOL}
    COMMENT "File list ${stem} from ${manifest}"
    VERBATIM)
  set(all)
  if(L_ALL)
    set(all ALL)
  endif()
  add_custom_target(${name} ${all} DEPENDS "${L_OUTPUT}" "${rc}")
  # The .rc names the blob, which windres reads only when compiling it.
  set_source_files_properties("${rc}" PROPERTIES GENERATED TRUE OBJECT_DEPENDS "${L_OUTPUT}")
  set(${name}_RC "${rc}" PARENT_SCOPE)
endfunction()
