# The auto-update dialog: included by this folder's CMakeLists.txt. Its code
# joins the Windows layer with the update library and the animation
# control; its template joins the program.
target_sources(pellanor_win PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/OrvaneAutoUpdate.cpp
  ${CMAKE_CURRENT_LIST_DIR}/OrvaneAutoUpdateMod.cpp)
target_link_libraries(pellanor_win PUBLIC outside_updatelib outside_ccrpani)
target_sources(pellanor PRIVATE ${CMAKE_CURRENT_LIST_DIR}/OrvaneAutoUpdate.rc)

# Test programs that open the dialog add this file as a source.
set(PELLANOR_UPDATE_DIALOG_RC ${CMAKE_CURRENT_LIST_DIR}/OrvaneAutoUpdate.rc CACHE INTERNAL
    "Template of the auto-update dialog")
