# Turns the GLI table files of DATA into the C++ source OUTPUT that defines
# kGliTables (gli/gli_tables.h). Usage:
#   cmake -DDATA=<folder of the CSV files> -DOUTPUT=<file.cpp> -P gli_tables.cmake
#
# Every number is written as the text the file holds (".0" appended to a whole
# number), so the compiler reads it as strtod reads that text: correctly
# rounded, with no digit lost to a conversion of ours. Columns and coefficient
# rows are found by name, since their order differs between the files; a
# missing column, row, age or number stops the build naming it. Only an empty
# q1 is read as 0 (the published tables leave it empty where L does not change
# with age).
cmake_minimum_required(VERSION 3.25)  # empty list items kept (CMP0007)

set(quantities FEV1 FVC FEV1FVC)  # the order of GliQuantity
set(sexes males females)          # sex codes 1 and 2

# <out> becomes the file's lines, each with its ";" turned into "," so that a
# line is one CMake list item; <out>_header the first line's names as a list.
function(read_table name out)
  set(path ${DATA}/${name})
  if(NOT EXISTS ${path})
    message(FATAL_ERROR "GLI tables: ${path} is missing")
  endif()
  file(READ ${path} text)
  foreach(character "," "[" "]" "\\")  # would break the CMake lists below
    string(FIND "${text}" "${character}" found)
    if(NOT found EQUAL -1)
      message(FATAL_ERROR "GLI tables: ${name} holds '${character}', which no table holds")
    endif()
  endforeach()
  string(REPLACE "\r" "" text "${text}")
  string(REPLACE ";" "," text "${text}")
  string(REGEX REPLACE "\n+$" "" text "${text}")
  string(REPLACE "\n" ";" lines "${text}")
  list(POP_FRONT lines header)
  string(REPLACE "," ";" header "${header}")
  set(${out} "${lines}" PARENT_SCOPE)
  set(${out}_header "${header}" PARENT_SCOPE)
endfunction()

# <out> becomes the index of column <column> in <header>, or the build stops.
function(column_index name header column out)
  list(FIND header ${column} index)
  if(index EQUAL -1)
    message(FATAL_ERROR "GLI tables: ${name} has no column ${column}")
  endif()
  set(${out} ${index} PARENT_SCOPE)
endfunction()

# <out> becomes the number text as a C++ double literal, or the build stops.
function(number_literal text where out)
  if(NOT text MATCHES "^[-+]?([0-9]+(\\.[0-9]*)?|\\.[0-9]+)([eE][-+]?[0-9]+)?$")
    message(FATAL_ERROR "GLI tables: ${where} is '${text}', not a number")
  endif()
  if(NOT text MATCHES "[.eE]")
    string(APPEND text ".0")
  endif()
  set(${out} ${text} PARENT_SCOPE)
endfunction()

# <out> becomes the age text's count of quarter years, or the build stops.
function(age_quarters text where out)
  if(NOT text MATCHES "^([0-9]+)(\\.([0-9]*))?$")
    message(FATAL_ERROR "GLI tables: ${where} has the age '${text}'")
  endif()
  set(whole ${CMAKE_MATCH_1})
  string(REGEX REPLACE "0+$" "" fraction "${CMAKE_MATCH_3}")
  set(fractions ";25;5;75")  # "", 25, 5, 75: 0 to 3 quarters
  list(FIND fractions "${fraction}" quarter)
  if(quarter EQUAL -1)
    message(FATAL_ERROR "GLI tables: ${where} has the age '${text}', not a quarter year")
  endif()
  math(EXPR quarters "${whole} * 4 + ${quarter}")
  set(${out} ${quarters} PARENT_SCOPE)
endfunction()

# Sets <out>_<sex>_<quantity> to the initializer of one set's GliCoefficients.
# <a_groups> and <p_groups> name the rows of the group terms after the
# reference group's 0 (none for GLI Global, whose group terms are all 0).
function(coefficients name a_groups p_groups out)
  read_table(${name} lines)
  column_index(${name} "${lines_header}" var var_index)
  set(by_row "")
  foreach(line IN LISTS lines)
    string(REPLACE "," ";" cells "${line}")
    list(GET cells ${var_index} row)
    set(row_${row} "${cells}")
    list(APPEND by_row ${row})
  endforeach()
  set(text "")
  foreach(sex IN LISTS sexes)
    foreach(quantity IN LISTS quantities)
      set(column ${quantity}_${sex})
      column_index(${name} "${lines_header}" ${column} index)
      set(values "")
      foreach(row a0 a1 a2 group_a p0 p1 group_p q0 q1)
        if(row MATCHES "^group_(.)$")
          set(terms 0.0 ${${CMAKE_MATCH_1}_groups})
          list(LENGTH terms count)
          while(count LESS 5)
            list(APPEND terms 0.0)
            math(EXPR count "${count} + 1")
          endwhile()
        else()
          set(terms ${row})
        endif()
        set(literals "")
        foreach(term IN LISTS terms)
          if(term STREQUAL "0.0")
            list(APPEND literals 0.0)
            continue()
          endif()
          if(NOT DEFINED row_${term})
            message(FATAL_ERROR "GLI tables: ${name} has no row ${term}")
          endif()
          list(GET row_${term} ${index} cell)
          if(cell STREQUAL "" AND term STREQUAL "q1")
            set(cell 0)
          endif()
          number_literal("${cell}" "${name} ${term} ${column}" literal)
          list(APPEND literals ${literal})
        endforeach()
        list(JOIN literals ", " joined)
        if(row MATCHES "^group_")
          set(joined "{${joined}}")
        endif()
        list(APPEND values "${joined}")
      endforeach()
      list(JOIN values ", " joined)
      set(${out}_${sex}_${quantity} "{${joined}}" PARENT_SCOPE)
    endforeach()
  endforeach()
endfunction()

# Sets <out>_<sex>_<quantity> to the rows { M, S, L } of ages 3 to 95 by 0.25.
function(splines name out)
  read_table(${name} lines)
  column_index(${name} "${lines_header}" age age_index)
  foreach(sex IN LISTS sexes)
    foreach(quantity IN LISTS quantities)
      foreach(curve M S L)
        column_index(${name} "${lines_header}" ${quantity}_${sex}_${curve}spline index)
        set(index_${sex}_${quantity}_${curve} ${index})
      endforeach()
      set(rows_${sex}_${quantity} "")
    endforeach()
  endforeach()
  set(expected 12)  # 3 years
  foreach(line IN LISTS lines)
    string(REPLACE "," ";" cells "${line}")
    list(GET cells ${age_index} age)
    age_quarters("${age}" "${name}" quarters)
    if(NOT quarters EQUAL expected)
      math(EXPR years "${expected} / 4")
      math(EXPR hundredths "${expected} % 4 * 25")
      message(FATAL_ERROR "GLI tables: ${name} has no row for age ${years}.${hundredths} (the next row is '${age}')")
    endif()
    foreach(sex IN LISTS sexes)
      foreach(quantity IN LISTS quantities)
        set(literals "")
        foreach(curve M S L)
          list(GET cells ${index_${sex}_${quantity}_${curve}} cell)
          number_literal("${cell}" "${name} age ${age} ${quantity}_${sex}_${curve}spline" literal)
          list(APPEND literals ${literal})
        endforeach()
        list(JOIN literals ", " joined)
        string(APPEND rows_${sex}_${quantity} "        {${joined}},\n")
      endforeach()
    endforeach()
    math(EXPR expected "${expected} + 1")
  endforeach()
  if(NOT expected EQUAL 381)  # one past 95 years
    math(EXPR years "${expected} / 4")
    math(EXPR hundredths "${expected} % 4 * 25")
    message(FATAL_ERROR "GLI tables: ${name} ends before age 95 (no row for age ${years}.${hundredths})")
  endif()
  foreach(sex IN LISTS sexes)
    foreach(quantity IN LISTS quantities)
      set(${out}_${sex}_${quantity} "${rows_${sex}_${quantity}}" PARENT_SCOPE)
    endforeach()
  endforeach()
endfunction()

coefficients(bowerman_2022_coefficients.csv "" "" global_coefficients)
splines(bowerman_2022_splines.csv global_rows)
coefficients(gli_2012_coefficients.csv "a3;a4;a5;a6" "p2;p3;p4;p5" gli2012_coefficients)
splines(gli_2012_splines.csv gli2012_rows)

set(body "")
foreach(set global gli2012)  # the order of GliSet
  string(APPEND body "  {\n")
  foreach(sex IN LISTS sexes)
    string(APPEND body "    {\n")
    foreach(quantity IN LISTS quantities)
      string(APPEND body "      {${${set}_coefficients_${sex}_${quantity}},\n       {\n")
      string(APPEND body "${${set}_rows_${sex}_${quantity}}       }},\n")
    endforeach()
    string(APPEND body "    },\n")
  endforeach()
  string(APPEND body "  },\n")
endforeach()

file(WRITE ${OUTPUT}.new "// Generated by gli/gli_tables.cmake from gli/data/: do not edit.
#include \"gli/gli_tables.h\"

namespace kestrova {

// clang-format off
const GliQuantityTable kGliTables[2][2][3] = {
${body}};
// clang-format on

}  // namespace kestrova
")
file(RENAME ${OUTPUT}.new ${OUTPUT})
