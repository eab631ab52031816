# Each folder of the program is one library, and a library sees the headers of
# its own folder and of the libraries it links to, nothing else: the include
# path of folder F is a directory holding only a link named F to the sources.
# So an #include of a folder that is not a dependency fails to compile, and the
# layers are kept by the build:
#   numtext, texts -> records -> equations, input -> display -> kestrova
#     -> report -> batch -> cli      (input, the input model, also below
#     kestrova, report and batch: every surface reads a patient through it)
#   report, batch (the safe output file), display, input -> app
# report/ (the formats of a result) and batch/ (CSV files, encodings, the safe
# output file, the per-row pages) never see cli/; app/ never links cli/.
#
#   kestrova_folder_library(<target> <folder> [INTERFACE | sources...])
#   kestrova_folder_include(<target> <folder>)   for an executable's own folder
function(kestrova_folder_root folder out)
  set(include_root ${PROJECT_BINARY_DIR}/layers/${folder})
  file(MAKE_DIRECTORY ${include_root})
  file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${folder} ${include_root}/${folder} SYMBOLIC)
  set(${out} ${include_root} PARENT_SCOPE)
endfunction()

function(kestrova_folder_include target folder)
  kestrova_folder_root(${folder} include_root)
  target_include_directories(${target} PRIVATE ${include_root})
endfunction()

function(kestrova_folder_library target folder)
  kestrova_folder_root(${folder} include_root)
  if(ARGV2 STREQUAL "INTERFACE")
    add_library(${target} INTERFACE)
    target_include_directories(${target} INTERFACE ${include_root})
  else()
    add_library(${target} STATIC ${ARGN})
    target_include_directories(${target} PUBLIC ${include_root})
  endif()
endfunction()
