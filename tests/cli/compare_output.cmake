# Runs kestrova-cli with ARGS (a ;-list) and compares its standard output byte
# for byte with the file EXPECTED. The output is not a terminal, so a report
# marks red cells with "*".
execute_process(COMMAND ${CLI} ${ARGS} OUTPUT_VARIABLE actual RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "kestrova-cli exited with ${status}")
endif()
file(READ ${EXPECTED} expected)
if(NOT actual STREQUAL expected)
  message(FATAL_ERROR "output differs:\n${actual}\nexpected:\n${expected}")
endif()
