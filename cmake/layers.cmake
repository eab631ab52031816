# Each folder of the program is one library, and a library sees the headers of
# its own folder and of the libraries it links to, nothing else: the include
# path of folder F is a directory holding only a link named F to the sources.
# So an #include of a folder that is not a dependency fails to compile, and the
# layers are kept by the build:
#   numtext -> io    (files and texts as the system gives them: the safe output
#     file, paths, the text encodings, the one Windows header; a leaf that
#     links numtext only, below input, batch, cli and app)
#   numtext, texts -> records -> equations -> display -> kestrova -> report
#     -> batch -> cli      (display draws a panel's contents and knows no
#     rule; input, the input model over io, is below kestrova, report and
#     batch: every surface reads a patient through it)
#   report, io (the safe output file), display, input -> app
#   gli -> kestrova   (the GLI equations and their tables embedded from
#     gli/data: a leaf that links nothing; kestrova/ puts its results beside
#     the JRS ones and reads ERS/ATS 2022 on them)
# report/ (the formats of a result) and batch/ (CSV files, header names, the
# per-row pages) never see cli/; app/ never links cli/.
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
