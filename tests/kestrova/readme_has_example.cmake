# Fails unless README.md holds the library example word for word.
file(READ ${README} readme)
file(READ ${EXAMPLE} example)
string(FIND "${readme}" "${example}" at)
if(at EQUAL -1)
  message(FATAL_ERROR "README.md does not contain ${EXAMPLE} verbatim")
endif()
