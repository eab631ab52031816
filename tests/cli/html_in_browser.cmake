# Renders kestrova-cli's HTML report for ARGS (a ;-list) in headless Chromium,
# to a PNG screenshot (A4 width at 96 dpi) and to PDF, offline and with a fresh
# profile, and checks what came out:
#   the PDF is one A4 page (pdfinfo); the PNG is not blank and shows red.
# Leaves WORK/NAME.html, .png and .pdf.
# The page must show the percentage cell CELL ("95.7 %").
#   cmake -DCLI=… -DCHROMIUM=… -DPDFINFO=… -DPNG_INK=… -DARGS=… -DCELL=… -DWORK=… -DNAME=… -P html_in_browser.cmake
foreach(tool CHROMIUM PDFINFO)
  if(NOT ${tool} OR NOT EXISTS "${${tool}}")
    message(FATAL_ERROR "${tool} is not installed (bash scripts/install-deps.sh installs chromium and poppler-utils)")
  endif()
endforeach()

set(page ${WORK}/${NAME}.html)
set(png ${WORK}/${NAME}.png)
set(pdf ${WORK}/${NAME}.pdf)
file(MAKE_DIRECTORY ${WORK})
file(REMOVE ${page} ${png} ${pdf})
execute_process(COMMAND ${CLI} --format html ${ARGS} OUTPUT_FILE ${page} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "kestrova-cli --format html exited with ${status}")
endif()
file(READ ${page} html)
string(FIND "${html}" "${CELL}</td>" at)
if(at EQUAL -1)
  message(FATAL_ERROR "the page does not show the cell ${CELL}")
endif()

# Chromium keeps nothing outside WORK and reaches nothing outside the page.
set(ENV{HOME} ${WORK}/${NAME}-home)
set(ENV{XDG_CONFIG_HOME} ${WORK}/${NAME}-home/.config)
set(ENV{XDG_CACHE_HOME} ${WORK}/${NAME}-home/.cache)
set(common --headless --no-sandbox --disable-gpu --disable-background-networking
    --disable-component-update --disable-sync --disable-extensions --no-first-run
    --no-default-browser-check "--proxy-server=127.0.0.1:9" "--host-resolver-rules=MAP * ~NOTFOUND")

function(render what output)
  set(profile ${WORK}/${NAME}-profile-${what})
  file(REMOVE_RECURSE ${profile})
  execute_process(COMMAND ${CHROMIUM} ${common} --user-data-dir=${profile} ${ARGN} file://${page}
                  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 120)
  file(REMOVE_RECURSE ${profile})
  if(NOT status EQUAL 0 OR NOT EXISTS ${output})
    message(FATAL_ERROR "chromium (${what}) exited with ${status} and wrote no ${output}:\n${err}")
  endif()
endfunction()

render(png ${png} --hide-scrollbars --window-size=794,1123 --screenshot=${png})
render(pdf ${pdf} --no-pdf-header-footer --print-to-pdf=${pdf})

execute_process(COMMAND ${PDFINFO} ${pdf} OUTPUT_VARIABLE info RESULT_VARIABLE status)
if(NOT status EQUAL 0 OR NOT info MATCHES "Pages: +1\n")
  message(FATAL_ERROR "the PDF is not one page:\n${info}")
endif()
if(NOT info MATCHES "\\(A4\\)")
  message(FATAL_ERROR "the PDF page is not A4:\n${info}")
endif()

execute_process(COMMAND ${PNG_INK} ${png} OUTPUT_VARIABLE ink RESULT_VARIABLE status)
if(NOT status EQUAL 0 OR NOT ink MATCHES "^ink ([0-9.]+) red ([0-9]+)")
  message(FATAL_ERROR "the screenshot cannot be read: ${ink}")
endif()
set(share ${CMAKE_MATCH_1})
set(red ${CMAKE_MATCH_2})
# Text, rules, the shaded region and the dots cover some 5 % of the page.
if(share LESS 0.02)
  message(FATAL_ERROR "the screenshot is blank (ink ${share})")
endif()
if(red LESS 50)
  message(FATAL_ERROR "the screenshot shows no red cells (${red} red pixels)")
endif()
message(STATUS "${NAME}: 1 A4 page, ink ${share}, ${red} red pixels")
