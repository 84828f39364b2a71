# com_idl(<target> <idl> [NO_EMBED])
#
# Compiles <idl> (relative to the calling folder, or absolute) with widl
# for <target>, into ${CMAKE_CURRENT_BINARY_DIR}/<target>_idl/:
#   <name>.h     the C/C++ header (interfaces, and uuids for __uuidof);
#                its folder is added to the target's include path
#   <name>_i.c   the IID_/CLSID_/LIBID_ definitions, added to the sources
#   <name>.tlb   the type library, embedded as resource TYPELIB 1 through
#                a generated .rc (left out with NO_EMBED, for a target whose
#                own .rc embeds it: the path is in <target>_TLB)
# `import` lines resolve against Wine's installed IDL files, and
# importlib("stdole2.tlb") against Wine's own stdole2.tlb.
function(com_idl target idl)
  cmake_parse_arguments(I "NO_EMBED" "" "" ${ARGN})
  get_filename_component(idl_abs "${idl}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_SOURCE_DIR}")
  get_filename_component(name "${idl}" NAME_WE)
  get_filename_component(idl_dir "${idl_abs}" DIRECTORY)
  set(out "${CMAKE_CURRENT_BINARY_DIR}/${target}_idl")
  file(MAKE_DIRECTORY "${out}")

  if(NOT WIDL)
    set(WIDL widl)
  endif()
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(arch -m64)
    set(stdole_dir /usr/lib/x86_64-linux-gnu/wine/x86_64-windows)
  else()
    set(arch -m32)
    set(stdole_dir /usr/lib/i386-linux-gnu/wine/i386-windows)
  endif()
  set(flags ${arch} -I/usr/include/wine/wine/windows -I${idl_dir} -L${stdole_dir})

  add_custom_command(
    OUTPUT "${out}/${name}.h" "${out}/${name}_i.c" "${out}/${name}.tlb"
    COMMAND ${WIDL} ${flags} -h -H "${out}/${name}.h" "${idl_abs}"
    COMMAND ${WIDL} ${flags} -u -o "${out}/${name}_i.c" "${idl_abs}"
    COMMAND ${WIDL} ${flags} -t -o "${out}/${name}.tlb" "${idl_abs}"
    DEPENDS "${idl_abs}"
    COMMENT "widl ${name}.idl for ${target}"
    VERBATIM)

  target_sources(${target} PRIVATE "${out}/${name}.h" "${out}/${name}_i.c")
  target_include_directories(${target} PRIVATE "${out}")
  set(${target}_TLB "${out}/${name}.tlb" PARENT_SCOPE)

  if(NOT I_NO_EMBED)
    set(rc "${out}/${name}_tlb.rc")
    file(WRITE "${rc}.in" "1 TYPELIB \"${out}/${name}.tlb\"\n")
    configure_file("${rc}.in" "${rc}" COPYONLY)
    set_source_files_properties("${rc}" PROPERTIES OBJECT_DEPENDS "${out}/${name}.tlb")
    target_sources(${target} PRIVATE "${rc}")
  endif()
endfunction()
