# The auto-update dialog, driven hidden under Wine against the test update
# server on 127.0.0.1 (started by CTest around the program). It uses the
# program's registry keys, hence the lock.
if(WIN32)
  include(${CMAKE_SOURCE_DIR}/tests/outside/updatelib/UpdateServer.cmake)
  set(update_dialog_server ${CMAKE_CURRENT_BINARY_DIR}/update_dialog_server)
  project_test(pellanor_update_dialog_test OWN_MAIN
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/OrvaneAutoUpdate_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/dialog_driver.cpp
            ${CMAKE_SOURCE_DIR}/tests/outside/updatelib/server_fixture.cpp
            ${PELLANOR_UPDATE_DIALOG_RC}
    LIBS win_test_support LOCKS registry
    ARGS ${update_dialog_server})
  target_include_directories(pellanor_update_dialog_test PRIVATE
    ${CMAKE_CURRENT_LIST_DIR} ${CMAKE_SOURCE_DIR}/tests/outside/updatelib)
  update_server_fixture(pellanor_update_dialog_test ${update_dialog_server})
endif()
