# cmake -DIDL=<sockloom_v6.idl> -DOUT=<header> -P events_from_idl.cmake
#
# Writes the events of every dispinterface in the type library's source as
# C++ constants (see events.h), so that the idl stays the one place their
# dispatch identifiers, names and argument counts are set. It reads the
# shape this idl keeps: `dispinterface __Name { ... };` with one
# `[id(N)] void Method([attributes] type name, ...);` a method, every
# parameter with its attribute list.
if(NOT IDL OR NOT OUT)
  message(FATAL_ERROR "usage: cmake -DIDL=file.idl -DOUT=file.h -P events_from_idl.cmake")
endif()

file(READ "${IDL}" text)
# One line of text with no comments; semicolons would split CMake lists.
string(REGEX REPLACE "//[^\n]*" "" text "${text}")
string(REGEX REPLACE "[\r\n\t ]+" " " text "${text}")
string(REPLACE ";" " " text "${text}")

string(REGEX MATCHALL "dispinterface [A-Za-z_0-9]+ {[^}]*}" blocks "${text}")
if(NOT blocks)
  message(FATAL_ERROR "${IDL}: no dispinterface found")
endif()

get_filename_component(idl_name "${IDL}" NAME)
set(out "// Written by the build from ${idl_name}; edit the idl, not this file.\n")
string(APPEND out "// Included through events.h.\n#pragma once\n\nnamespace sockloom::events {\n")
foreach(block IN LISTS blocks)
  string(REGEX REPLACE "^dispinterface ([A-Za-z_0-9]+) .*" "\\1" interface "${block}")
  string(REGEX REPLACE "^_+" "" group "${interface}")
  string(APPEND out "\n// ${interface}\nnamespace ${group} {\n")
  string(REGEX MATCHALL "\\[id\\(([0-9]+)\\)\\] void [A-Za-z_0-9]+\\([^)]*\\)" methods "${block}")
  set(names "")
  foreach(method IN LISTS methods)
    string(REGEX REPLACE "^\\[id\\(([0-9]+)\\)\\] void ([A-Za-z_0-9]+)\\(([^)]*)\\)$" "\\1" id "${method}")
    string(REGEX REPLACE "^\\[id\\(([0-9]+)\\)\\] void ([A-Za-z_0-9]+)\\(([^)]*)\\)$" "\\2" name "${method}")
    string(REGEX REPLACE "^\\[id\\(([0-9]+)\\)\\] void ([A-Za-z_0-9]+)\\(([^)]*)\\)$" "\\3" params "${method}")
    # A parameter is an attribute list and what follows it.
    string(REGEX MATCHALL "\\[[^]]*\\]" attributes "${params}")
    list(LENGTH attributes count)
    string(APPEND out "inline constexpr Event ${name}{${id}, L\"${name}\", ${count}};\n")
    list(APPEND names ${name})
  endforeach()
  if(NOT names)
    message(FATAL_ERROR "${IDL}: ${interface} has no methods in the expected shape")
  endif()
  list(JOIN names ", " listed)
  string(APPEND out "inline constexpr Event all[] = {${listed}};\n}  // namespace ${group}\n")
endforeach()
string(APPEND out "\n}  // namespace sockloom::events\n")

file(WRITE "${OUT}" "${out}")
