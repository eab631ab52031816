# Version information and manifest of the Windows programs, from the one
# version number of project().
#
#   kestrova_windows_resources(<target> DESCRIPTION <text> [ICON <file.ico>])
#
# Adds a resource script to <target>: a Japanese VERSIONINFO (FileVersion,
# ProductVersion, ProductName, FileDescription, CompanyName, LegalCopyright,
# OriginalFilename), the icon as icon 1 when one is given (the file's icon in
# Explorer and on shortcuts), and a conservative manifest (asInvoker, supportedOS). The
# manifest declares neither common controls 6 (visual styles would change how
# the controls look) nor DPI awareness (the pixel-placed layout would be
# clipped on high-DPI screens). Windows builds only; elsewhere it does nothing.
if(WIN32)
  enable_language(RC)
endif()

set(KESTROVA_PRODUCT_NAME "Kestrova")
set(KESTROVA_COMPANY_NAME "Kestrova")
set(KESTROVA_COPYRIGHT_YEAR 2026)
set(_kestrova_resources_dir ${CMAKE_CURRENT_LIST_DIR})

function(kestrova_windows_resources target)
  if(NOT WIN32)
    return()
  endif()
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "DESCRIPTION;ICON" "")
  foreach(part MAJOR MINOR PATCH TWEAK)
    set(v_${part} "${PROJECT_VERSION_${part}}")
    if(v_${part} STREQUAL "")
      set(v_${part} 0)
    endif()
  endforeach()
  set(KESTROVA_VERSION_COMMAS "${v_MAJOR},${v_MINOR},${v_PATCH},${v_TWEAK}")
  set(KESTROVA_VERSION_QUAD "${v_MAJOR}.${v_MINOR}.${v_PATCH}.${v_TWEAK}")
  set(KESTROVA_VERSION "${PROJECT_VERSION}")
  set(KESTROVA_FILE_DESCRIPTION "${arg_DESCRIPTION}")
  get_target_property(output_name ${target} OUTPUT_NAME)
  if(NOT output_name)
    set(output_name ${target})
  endif()
  set(KESTROVA_ORIGINAL_FILENAME "${output_name}.exe")
  set(KESTROVA_ASSEMBLY_NAME "${KESTROVA_PRODUCT_NAME}.${output_name}")

  set(dir ${CMAKE_CURRENT_BINARY_DIR}/${target}_resources)
  configure_file(${_kestrova_resources_dir}/windows_manifest.xml.in ${dir}/${output_name}.manifest @ONLY)
  set(KESTROVA_MANIFEST_FILE ${dir}/${output_name}.manifest)
  set(KESTROVA_ICON_RESOURCE "")
  set(depends ${dir}/${output_name}.manifest)
  if(arg_ICON)
    set(KESTROVA_ICON_RESOURCE "1 ICON \"${arg_ICON}\"")
    list(APPEND depends ${arg_ICON})
    # The .ico is made by a custom command of the same directory.
    add_custom_target(${target}_icon DEPENDS ${arg_ICON})
    add_dependencies(${target} ${target}_icon)
  endif()
  configure_file(${_kestrova_resources_dir}/windows_version.rc.in ${dir}/${output_name}.rc @ONLY)
  target_sources(${target} PRIVATE ${dir}/${output_name}.rc)
  set_source_files_properties(${dir}/${output_name}.rc PROPERTIES OBJECT_DEPENDS "${depends}")
endfunction()
