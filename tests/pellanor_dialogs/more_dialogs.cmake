# The options, tip-of-the-day, first-run, about and copyright dialogs,
# driven for real under Wine, over a hidden main window where they touch it
# (which opens the add-verses dialog too).
# They use the program's registry keys and folders, hence the lock.
if(WIN32)
  project_test(pellanor_more_dialogs_test OWN_MAIN
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/frmOptions_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/frmTip_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/small_dialogs_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/dialog_shared_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/main_window_dialogs_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/dialog_driver.cpp
            ${CMAKE_SOURCE_DIR}/tests/pellanor/library_fixture.cpp
            ${CMAKE_SOURCE_DIR}/pellanor/res/pellanor.rc
            ${PELLANOR_MORE_DIALOGS_RC} ${PELLANOR_DIALOGS_RC}
    LIBS win_test_support LOCKS registry)
  target_include_directories(pellanor_more_dialogs_test PRIVATE
    ${CMAKE_CURRENT_LIST_DIR} ${CMAKE_SOURCE_DIR}/tests/pellanor)
endif()
