# The GLI tables' build step on copies of the tables with something taken out:
# each run must fail, naming what is missing.
#   cmake -DGENERATOR=<gli_tables.cmake> -DDATA=<gli/data> -DWORK=<dir> -P broken_tables.cmake
function(expect_refusal name file pattern replacement message)
  set(dir ${WORK}/${name})
  file(REMOVE_RECURSE ${dir})
  file(COPY ${DATA}/ DESTINATION ${dir})
  file(READ ${dir}/${file} text)
  string(REGEX REPLACE "${pattern}" "${replacement}" text "${text}")
  file(WRITE ${dir}/${file} "${text}")
  execute_process(COMMAND ${CMAKE_COMMAND} -DDATA=${dir} -DOUTPUT=${dir}/tables.cpp -P ${GENERATOR}
                  RESULT_VARIABLE result ERROR_VARIABLE error)
  if(result EQUAL 0 OR NOT error MATCHES "${message}" OR EXISTS ${dir}/tables.cpp)
    message(FATAL_ERROR "${name}: the build step gave ${result} and\n${error}")
  endif()
endfunction()

expect_refusal(column gli_2012_splines.csv "FVC_females_Sspline" "FVC_females_Xspline"
               "gli_2012_splines.csv has no column FVC_females_Sspline")
expect_refusal(age bowerman_2022_splines.csv "\n40\\.5[^\n]*" "" "bowerman_2022_splines.csv has no row for age 40.50")
expect_refusal(last_age gli_2012_splines.csv "\n95[^\n]*" "" "gli_2012_splines.csv ends before age 95")
expect_refusal(coefficient gli_2012_coefficients.csv "\na5[^\n]*" "" "gli_2012_coefficients.csv has no row a5")
