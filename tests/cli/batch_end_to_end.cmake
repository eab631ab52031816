# kestrova-cli --batch as a user runs it: from a file to a file, and from
# standard input to standard output. The input has one bad row (line 4).
file(MAKE_DIRECTORY ${WORK})
set(out ${WORK}/results.csv)
file(REMOVE ${out})
execute_process(COMMAND ${CLI} --batch ${INPUT} -o ${out}
                RESULT_VARIABLE status ERROR_VARIABLE err)
if(NOT status EQUAL 2)
  message(FATAL_ERROR "exit status ${status}, expected 2 (one row failed)")
endif()
if(NOT err MATCHES ":4: age 'forty' is not a number")
  message(FATAL_ERROR "the error stream does not name line 4:\n${err}")
endif()
file(STRINGS ${out} lines)
list(LENGTH lines count)
if(NOT count EQUAL 5)
  message(FATAL_ERROR "${count} output lines, expected the header and 4 rows")
endif()
list(GET lines 3 bad)
if(NOT bad MATCHES "^3,F,forty,160,3.1,3.0,2.4,age 'forty' is not a number,,,")
  message(FATAL_ERROR "row 3 is not written with its error: ${bad}")
endif()

# Standard input to standard output: the same bytes.
execute_process(COMMAND ${CLI} --batch - INPUT_FILE ${INPUT}
                OUTPUT_VARIABLE piped RESULT_VARIABLE status ERROR_QUIET)
file(READ ${out} written)
if(NOT status EQUAL 2 OR NOT piped STREQUAL written)
  message(FATAL_ERROR "--batch - differs from the file run (status ${status})")
endif()

# Without the bad row the status is 0.
file(STRINGS ${INPUT} input_lines)
list(REMOVE_AT input_lines 3)
list(JOIN input_lines "\n" good)
file(WRITE ${WORK}/good.csv "${good}\n")
execute_process(COMMAND ${CLI} --batch ${WORK}/good.csv -o ${WORK}/good_results.csv RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "exit status ${status} for good rows, expected 0")
endif()

# The output may not overwrite the input.
execute_process(COMMAND ${CLI} --batch ${WORK}/good.csv -o ${WORK}/good.csv RESULT_VARIABLE status ERROR_QUIET)
file(READ ${WORK}/good.csv after)
if(NOT status EQUAL 64 OR NOT after STREQUAL "${good}\n")
  message(FATAL_ERROR "writing over the input was not refused (status ${status})")
endif()

# --jobs 2 writes the bytes of --jobs 1 (the rows and their order are checked
# on large inputs by the unit tests; here the option's wiring).
execute_process(COMMAND ${CLI} --batch ${INPUT} --jobs 2 OUTPUT_VARIABLE two RESULT_VARIABLE status2 ERROR_QUIET)
execute_process(COMMAND ${CLI} --batch ${INPUT} --jobs 1 OUTPUT_VARIABLE one RESULT_VARIABLE status1 ERROR_QUIET)
if(NOT status2 EQUAL status1 OR NOT two STREQUAL one OR NOT one STREQUAL written)
  message(FATAL_ERROR "--jobs 2 differs from --jobs 1 (status ${status2}, ${status1})")
endif()
