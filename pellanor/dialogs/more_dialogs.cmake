# The options, tip-of-the-day, first-run, about and copyright dialogs: their
# code joins the Windows layer, their templates join the program (and any
# test program that opens them, through PELLANOR_MORE_DIALOGS_RC).
target_sources(pellanor_win PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/dialog_shared.cpp
  ${CMAKE_CURRENT_LIST_DIR}/frmOptions.cpp
  ${CMAKE_CURRENT_LIST_DIR}/frmTip.cpp
  ${CMAKE_CURRENT_LIST_DIR}/frmFirstTime.cpp
  ${CMAKE_CURRENT_LIST_DIR}/frmAbout.cpp
  ${CMAKE_CURRENT_LIST_DIR}/frmCopyrights.cpp)
set(PELLANOR_MORE_DIALOGS_RC
  ${CMAKE_CURRENT_LIST_DIR}/frmOptions.rc
  ${CMAKE_CURRENT_LIST_DIR}/frmTip.rc
  ${CMAKE_CURRENT_LIST_DIR}/frmFirstTime.rc
  ${CMAKE_CURRENT_LIST_DIR}/frmAbout.rc
  ${CMAKE_CURRENT_LIST_DIR}/frmCopyrights.rc
  CACHE INTERNAL "Templates of the options, tip, first-run, about and copyright dialogs")
target_sources(pellanor PRIVATE ${PELLANOR_MORE_DIALOGS_RC})
