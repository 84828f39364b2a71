# Runs a VBScript with Wine's cscript and checks both what it says and its
# result code: cscript ends a script that failed with code 0 and says
# nothing, so a script passes only with code 0 and its closing line.
#   cmake "-DEMULATOR=wine-run 32" -DSCRIPT=relative\\path.vbs -DEXPECT=<closing line> -P run_cscript.cmake
separate_arguments(emulator UNIX_COMMAND "${EMULATOR}")
execute_process(COMMAND ${emulator} cscript //nologo ${SCRIPT}
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
message("${out}")
if(NOT rc STREQUAL "0")
  message(FATAL_ERROR "${SCRIPT} ended with code ${rc}\n${err}")
endif()
string(FIND "${out}" "${EXPECT}" at)
if(at EQUAL -1)
  message(FATAL_ERROR "${SCRIPT} did not finish (no \"${EXPECT}\")\n${err}")
endif()
