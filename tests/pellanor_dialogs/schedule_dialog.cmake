# The scheduling dialog, driven hidden under Wine, with the Task Scheduler
# behind a recording fake (and once behind the real one of the test prefix)
# and the Windows logon answered through the seam.
if(WIN32)
  project_test(pellanor_schedule_dialog_test OWN_MAIN
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/frmSchedule_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/fake_task_service.cpp
            ${CMAKE_CURRENT_LIST_DIR}/dialog_driver.cpp
            ${CMAKE_SOURCE_DIR}/pellanor/dialogs/frmSchedule.rc
    LIBS win_test_support outside_taskscheduler LOCKS registry taskscheduler)
  target_include_directories(pellanor_schedule_dialog_test PRIVATE ${CMAKE_CURRENT_LIST_DIR})
endif()
