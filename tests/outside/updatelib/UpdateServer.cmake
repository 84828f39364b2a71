# update_server_fixture(<test> <folder>)
# Runs the test update server (update_server.py) natively around the
# Windows test <test>: CTest starts it before the test and stops it after.
# It serves <folder>/root; the port is in <folder>/port, the request lines
# in <folder>/requests.log. The test gets <folder> as its last argument.
set(UPDATE_SERVER_DIR ${CMAKE_CURRENT_LIST_DIR})
function(update_server_fixture test folder)
  find_program(PYTHON3 python3 REQUIRED)
  add_test(NAME ${test}_server_start
    COMMAND /bin/sh ${UPDATE_SERVER_DIR}/start_server.sh ${PYTHON3} ${UPDATE_SERVER_DIR}/update_server.py ${folder})
  add_test(NAME ${test}_server_stop
    COMMAND /bin/sh -c "kill $(cat '${folder}/pid') 2>/dev/null; rm -f '${folder}/pid'; exit 0")
  set_tests_properties(${test}_server_start PROPERTIES FIXTURES_SETUP ${test}_server)
  set_tests_properties(${test}_server_stop PROPERTIES FIXTURES_CLEANUP ${test}_server)
  set_tests_properties(${test} PROPERTIES FIXTURES_REQUIRED ${test}_server)
endfunction()
