# -Werror on the project's own targets only: every target defined in a folder
# of this source tree. Code built from elsewhere (GoogleTest from /usr/src for
# the Windows tests) keeps its warnings as warnings, so a newer compiler's new
# warning there cannot break the build. KESTROVA_WERROR=OFF turns it off.
option(KESTROVA_WERROR "Treat warnings in the project's own code as errors" ON)

function(kestrova_werror_on_own_targets dir)
  if(NOT KESTROVA_WERROR)
    return()
  endif()
  get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  foreach(target IN LISTS targets)
    get_target_property(type ${target} TYPE)
    if(type MATCHES "^(EXECUTABLE|STATIC_LIBRARY|SHARED_LIBRARY|MODULE_LIBRARY|OBJECT_LIBRARY)$")
      target_compile_options(${target} PRIVATE -Werror)
    endif()
  endforeach()
  get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(subdir IN LISTS subdirs)
    cmake_path(IS_PREFIX PROJECT_SOURCE_DIR "${subdir}" NORMALIZE own)
    if(own)
      kestrova_werror_on_own_targets(${subdir})
    endif()
  endforeach()
endfunction()
