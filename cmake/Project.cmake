# Shared build settings and helpers for every deliverable and test.

if(WIN32)
  # Targets Windows XP and later headers-wise, with the newer APIs the
  # outside components use (SetWindowSubclass, Task Scheduler 2.0) visible.
  add_compile_definitions(WINVER=0x0601 _WIN32_WINNT=0x0601 _WIN32_IE=0x0700
                          WIN32_LEAN_AND_MEAN NOMINMAX STRICT)
  # A binary that needs a mingw runtime DLL exits silently under Wine.
  add_link_options(-static -static-libgcc -static-libstdc++)
else()
  option(PELLANOR_SANITIZE "Build the native tests with ASan and UBSan" ON)
  if(PELLANOR_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all
                        -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
  endif()
  option(PELLANOR_FUZZ "Build the libFuzzer targets (clang only)" OFF)
endif()

# Warnings as errors for the project's own code only (not GoogleTest).
function(project_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Werror
                         -Wno-missing-field-initializers)
  # GCC 12 reports false overlaps in std::string concatenation at -O3
  # (GCC bug 105329).
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    target_compile_options(${target} PRIVATE -Wno-restrict)
  endif()
endfunction()

# A GoogleTest program. Native programs are split into one CTest test per
# case; a Windows program is one CTest test, because every case would
# otherwise pay for its own Wine process start.
# OWN_MAIN: the sources bring main() (to take arguments after GoogleTest's).
#   project_test(name SOURCES a.cpp ... LIBS lib ... [LOCKS res ...] [ARGS ...])
function(project_test name)
  cmake_parse_arguments(T "OWN_MAIN" "" "SOURCES;LIBS;LOCKS;ARGS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  project_warnings(${name})
  if(T_OWN_MAIN)
    target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gmock GTest::gtest)
  else()
    target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gmock GTest::gtest_main)
  endif()
  if(WIN32)
    add_test(NAME ${name} COMMAND ${name} ${T_ARGS})
    set_tests_properties(${name} PROPERTIES TIMEOUT 600)
    if(T_LOCKS)
      set_tests_properties(${name} PROPERTIES RESOURCE_LOCK "${T_LOCKS}")
    endif()
  else()
    include(GoogleTest)
    gtest_discover_tests(${name} EXTRA_ARGS ${T_ARGS} DISCOVERY_TIMEOUT 60)
  endif()
endfunction()

# Linux path of a build file as Wine sees it (drive Z: maps to /).
function(wine_path out unix)
  string(REPLACE "/" "\\" p "${unix}")
  set(${out} "Z:${p}" PARENT_SCOPE)
endfunction()

# A libFuzzer target <name>_fuzz (native clang builds with PELLANOR_FUZZ
# only) and its bounded run as the CTest test fuzz.<name>. New inputs go to
# a work folder in the build tree; the seed folders are only read. Inputs
# grow to MAX_LEN bytes (4096 unless given), so give a target whose reader
# has a larger bound a MAX_LEN past it.
#   project_fuzz(name SOURCES a.cpp LIBS lib ... [SEEDS dir ...] [MAX_LEN n])
function(project_fuzz name)
  if(WIN32 OR NOT PELLANOR_FUZZ)
    return()
  endif()
  cmake_parse_arguments(F "" "MAX_LEN" "SOURCES;LIBS;SEEDS" ${ARGN})
  if(NOT F_MAX_LEN)
    set(F_MAX_LEN 4096)
  endif()
  add_executable(${name}_fuzz ${F_SOURCES})
  target_link_libraries(${name}_fuzz PRIVATE ${F_LIBS})
  target_compile_options(${name}_fuzz PRIVATE -fsanitize=fuzzer)
  target_link_options(${name}_fuzz PRIVATE -fsanitize=fuzzer)
  project_warnings(${name}_fuzz)
  set(work ${CMAKE_CURRENT_BINARY_DIR}/corpus/${name})
  file(MAKE_DIRECTORY ${work})
  add_test(NAME fuzz.${name}
    COMMAND ${name}_fuzz -max_total_time=20 -max_len=${F_MAX_LEN} ${work} ${F_SEEDS})
endfunction()
