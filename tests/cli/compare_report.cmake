# Runs kestrova-cli for the female example (output not a terminal, so red cells
# are marked with "*") and compares the report byte for byte.
execute_process(COMMAND ${CLI} /Sex=F /Age=45 /Setake=160 /VC=3.1 /FVC=3.0 /FEV1=2.4
                OUTPUT_VARIABLE actual RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "kestrova-cli exited with ${status}")
endif()
file(READ ${EXPECTED} expected)
if(NOT actual STREQUAL expected)
  message(FATAL_ERROR "output differs:\n${actual}\nexpected:\n${expected}")
endif()
