# Turns the worked example at the top of a header into a program that runs it
# and checks every value the example shows:
#   //   r.rows[0].line      // "4.48 :JRS2014"  the panel's line
# becomes a check that r.rows[0].line equals "4.48 :JRS2014". Other example
# lines are copied as they stand. Usage:
#   cmake -DHEADER=<header> -DOUTPUT=<file.cpp> -P header_example.cmake
# Semicolons would split CMake list items: carried as <SEMI> until written out.
file(READ ${HEADER} text)
string(REPLACE ";" "<SEMI>" text "${text}")
string(REPLACE "\n" ";" lines "${text}")
set(body "")
set(includes "#include <cstdio>\n#include <string>\n#include <string_view>\n")
set(in_example FALSE)
foreach(line IN LISTS lines)
  if(line MATCHES "^//   (#include .*)$")
    set(in_example TRUE)
    string(APPEND includes "${CMAKE_MATCH_1}\n")
  elseif(in_example AND line STREQUAL "//" AND NOT body STREQUAL "")
    break()
  elseif(in_example AND line MATCHES "^//   ([^ ]+) +// (\"[^\"]*\"|true|false)")
    string(APPEND body "  failures += Check(${CMAKE_MATCH_1}, ${CMAKE_MATCH_2}, \"${CMAKE_MATCH_1}\");\n")
  elseif(in_example AND line MATCHES "^//   (.+)$")
    string(APPEND body "  ${CMAKE_MATCH_1}\n")
  endif()
endforeach()
if(body STREQUAL "")
  message(FATAL_ERROR "${HEADER} has no worked example")
endif()
string(REPLACE "<SEMI>" ";" body "${body}")
file(WRITE ${OUTPUT}.new "${includes}
template <typename T, typename U>
int Check(const T& actual, const U& expected, const char* what) {
  if (actual == expected) return 0;
  std::printf(\"%s is not as the example shows\\n\", what);
  return 1;
}

int main() {
  int failures = 0;
${body}  return failures;
}
")
file(COPY_FILE ${OUTPUT}.new ${OUTPUT} ONLY_IF_DIFFERENT)
