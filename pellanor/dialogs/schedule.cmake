# The scheduling dialog: its code joins the Windows layer, its template the
# program. Included from this folder's CMakeLists.txt.
target_sources(pellanor_win PRIVATE ${CMAKE_CURRENT_LIST_DIR}/frmSchedule.cpp
  ${CMAKE_CURRENT_LIST_DIR}/frmSchedule_task.cpp)
target_link_libraries(pellanor_win PUBLIC outside_taskscheduler)
target_sources(pellanor PRIVATE ${CMAKE_CURRENT_LIST_DIR}/frmSchedule.rc)
