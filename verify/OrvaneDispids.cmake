# The DISPIDs verify calls the version-check control by, read from the
# control's IDL when the build runs, so that they cannot drift from the type
# library the control is built with.
#
# As a function, for the build:
#   orvane_dispids(<target> IDL <idl> INTERFACE <name> EVENTS <name> OUTPUT <header>)
# writes <header> with namespace orvane::dispid (every member of the
# interface) and orvane::event (every member of the event dispinterface),
# and adds it to <target>'s sources. The build stops when the IDL does not
# hold both, or gives one name two DISPIDs.
#
# As a script (cmake -P), run by that rule:
#   -DIDL=<idl> -DINTERFACE=<name> -DEVENTS=<name> -DOUTPUT=<header>

if(NOT CMAKE_SCRIPT_MODE_FILE)
  set(ORVANE_DISPIDS_SCRIPT ${CMAKE_CURRENT_LIST_FILE})

  function(orvane_dispids target)
    cmake_parse_arguments(D "" "IDL;INTERFACE;EVENTS;OUTPUT" "" ${ARGN})
    add_custom_command(
      OUTPUT "${D_OUTPUT}"
      COMMAND ${CMAKE_COMMAND} -DIDL=${D_IDL} -DINTERFACE=${D_INTERFACE} -DEVENTS=${D_EVENTS}
              -DOUTPUT=${D_OUTPUT} -P ${ORVANE_DISPIDS_SCRIPT}
      DEPENDS "${D_IDL}" ${ORVANE_DISPIDS_SCRIPT}
      COMMENT "DISPIDs of ${D_INTERFACE} and ${D_EVENTS} from ${D_IDL}"
      VERBATIM)
    target_sources(${target} PRIVATE "${D_OUTPUT}")
  endfunction()
  return()
endif()

file(READ "${IDL}" idl)
# Comments may hold brackets and parentheses of their own.
string(REGEX REPLACE "//[^\n]*" "" idl "${idl}")

# The member declarations of `<keyword> <name>`: each "[attributes] type
# Name(" up to the block's closing brace, as "Name=id" entries.
function(members_of keyword name out)
  string(REGEX MATCH "(^|[ \t\r\n])${keyword}[ \t\r\n]+${name}[ \t\r\n]*(:[ \t\r\n]*[A-Za-z0-9_]+[ \t\r\n]*)?{[^}]*}"
         block "${idl}")
  if(NOT block)
    message(FATAL_ERROR "${IDL}: no ${keyword} ${name}")
  endif()
  string(REGEX MATCHALL "\\[[^]]*\\][ \t\r\n]*[A-Za-z_][A-Za-z0-9_]*[ \t\r\n]+[A-Za-z_][A-Za-z0-9_]*[ \t\r\n]*\\("
         declarations "${block}")
  set(entries)
  foreach(declaration IN LISTS declarations)
    string(REGEX MATCH "([A-Za-z_][A-Za-z0-9_]*)[ \t\r\n]*\\($" _ "${declaration}")
    set(member ${CMAKE_MATCH_1})
    if(NOT declaration MATCHES "[[, \t\r\n]id\\([ \t]*(-?(0[xX][0-9A-Fa-f]+|[0-9]+))[ \t]*\\)")
      message(FATAL_ERROR "${IDL}: ${name}.${member} has no id()")
    endif()
    set(id ${CMAKE_MATCH_1})
    # A property's get and put share one DISPID.
    if(DEFINED seen_${member})
      if(NOT seen_${member} STREQUAL id)
        message(FATAL_ERROR "${IDL}: ${name}.${member} has ids ${seen_${member}} and ${id}")
      endif()
      continue()
    endif()
    set(seen_${member} ${id})
    list(APPEND entries "${member}=${id}")
  endforeach()
  if(NOT entries)
    message(FATAL_ERROR "${IDL}: ${keyword} ${name} declares no members")
  endif()
  set(${out} ${entries} PARENT_SCOPE)
endfunction()

function(constants entries out)
  set(text)
  foreach(entry IN LISTS entries)
    string(REPLACE "=" ";" pair "${entry}")
    list(GET pair 0 member)
    list(GET pair 1 id)
    string(APPEND text "inline constexpr DISPID ${member} = ${id};\n")
  endforeach()
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

members_of("interface" "${INTERFACE}" methods)
members_of("dispinterface" "${EVENTS}" events)
constants("${methods}" method_text)
constants("${events}" event_text)
get_filename_component(idl_name "${IDL}" NAME)
get_filename_component(header_name "${OUTPUT}" NAME)

file(CONFIGURE OUTPUT "${OUTPUT}" @ONLY CONTENT [[
// @header_name@: written by the build from @idl_name@; do not edit.
#pragma once

#include <windows.h>
#include <oaidl.h>

namespace orvane {

// The members of @INTERFACE@.
namespace dispid {
@method_text@} // namespace dispid

// The control's events (@EVENTS@).
namespace event {
@event_text@} // namespace event

} // namespace orvane
]])
