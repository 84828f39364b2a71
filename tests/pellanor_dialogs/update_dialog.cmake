# The auto-update dialog, driven hidden under Wine against the test update
# server on 127.0.0.1 (started by CTest around the program). It uses the
# program's registry keys, hence the lock.
if(WIN32)
  include(${CMAKE_SOURCE_DIR}/tests/outside/updatelib/UpdateServer.cmake)
  set(update_dialog_server ${CMAKE_CURRENT_BINARY_DIR}/update_dialog_server)
  project_test(pellanor_update_dialog_test OWN_MAIN
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/OrvaneAutoUpdate_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/OrvaneAutoUpdate_run_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/dialog_driver.cpp
            ${CMAKE_SOURCE_DIR}/tests/outside/updatelib/server_fixture.cpp
            ${PELLANOR_UPDATE_DIALOG_RC}
    LIBS win_test_support LOCKS registry
    ARGS ${update_dialog_server})
  target_include_directories(pellanor_update_dialog_test PRIVATE
    ${CMAKE_CURRENT_LIST_DIR} ${CMAKE_SOURCE_DIR}/tests/outside/updatelib)
  update_server_fixture(pellanor_update_dialog_test ${update_dialog_server})
  # The update library's test components with and without version resources.
  target_compile_definitions(pellanor_update_dialog_test PRIVATE UPDFIX_FOLDER="Z:$<TARGET_FILE_DIR:updfix_v1>")
  add_dependencies(pellanor_update_dialog_test updfix_v1 updfix_v2 updfix_none)
endif()

# The running program's update, driven from outside against the same kind
# of server.
if(WIN32 AND TARGET pellanor)
  set(update_e2e_server ${CMAKE_CURRENT_BINARY_DIR}/update_e2e_server)
  project_test(pellanor_update_e2e_test OWN_MAIN
    SOURCES ${CMAKE_SOURCE_DIR}/tests/e2e/update_e2e_test.cpp
            ${CMAKE_SOURCE_DIR}/tests/pellanor/library_fixture.cpp
            ${CMAKE_SOURCE_DIR}/tests/outside/updatelib/server_fixture.cpp
    LIBS win_test_support LOCKS registry pointer
    ARGS $<TARGET_FILE:pellanor> ${PROGRAM_DIR} ${update_e2e_server})
  target_include_directories(pellanor_update_e2e_test PRIVATE
    ${CMAKE_SOURCE_DIR}/tests/e2e ${CMAKE_SOURCE_DIR}/tests/outside/updatelib)
  update_server_fixture(pellanor_update_e2e_test ${update_e2e_server})
  if(TARGET dist)
    add_dependencies(pellanor_update_e2e_test dist)
  endif()
endif()
