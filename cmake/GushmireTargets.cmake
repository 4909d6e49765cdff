# Warnings as errors on all our own C++ code. Given once, from the top-level
# CMakeLists.txt after every folder is added, to each target defined in the
# tree, so a new target cannot be left out. Generated protocol code is C
# and third-party code is never a target of ours, so neither is touched.
function(gushmire_warnings_everywhere directory)
  get_property(targets DIRECTORY ${directory} PROPERTY BUILDSYSTEM_TARGETS)
  foreach(target IN LISTS targets)
    get_target_property(type ${target} TYPE)
    if(type MATCHES "^(EXECUTABLE|STATIC_LIBRARY|SHARED_LIBRARY|MODULE_LIBRARY|OBJECT_LIBRARY)$")
      target_compile_options(${target} PRIVATE $<$<COMPILE_LANGUAGE:CXX>:
        -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wno-sign-conversion
        -Wold-style-cast -Wcast-align -Wnull-dereference -Werror>)
    endif()
  endforeach()
  get_property(folders DIRECTORY ${directory} PROPERTY SUBDIRECTORIES)
  foreach(folder IN LISTS folders)
    gushmire_warnings_everywhere(${folder})
  endforeach()
endfunction()

# gushmire_library(<name> <STATIC|OBJECT> <source>... [ALIAS <alias>])
# A library of ours whose headers sit beside its sources: users include them
# by name. ALIAS gives it a gushmire:: name as well.
function(gushmire_library name kind)
  cmake_parse_arguments(PARSE_ARGV 2 arg "" "ALIAS" "")
  add_library(${name} ${kind} ${arg_UNPARSED_ARGUMENTS})
  target_include_directories(${name} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
  if(arg_ALIAS)
    add_library(${arg_ALIAS} ALIAS ${name})
  endif()
endfunction()
