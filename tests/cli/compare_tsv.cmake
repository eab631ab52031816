# Runs kestrova-cli --format tsv for the female example and compares its output
# byte for byte with the expected file.
execute_process(COMMAND ${CLI} --format tsv /Sex=F /Age=40 /Setake=158
                OUTPUT_VARIABLE actual RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "kestrova-cli exited with ${status}")
endif()
file(READ ${EXPECTED} expected)
if(NOT actual STREQUAL expected)
  message(FATAL_ERROR "output differs:\n${actual}\nexpected:\n${expected}")
endif()
