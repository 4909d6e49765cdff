# Runs the generator into a scratch directory and requires every file it
# writes to equal the committed one byte for byte.
#   cmake -DGENERATOR=<gushmire-pictures> -DASSETS=<assets dir>
#         -DSCRATCH=<empty dir> -P check_regenerated.cmake
file(REMOVE_RECURSE ${SCRATCH})
file(MAKE_DIRECTORY ${SCRATCH})
execute_process(COMMAND ${GENERATOR} ${SCRATCH} RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "gushmire-pictures failed: ${result}")
endif()
set(files palette_table.cpp)
foreach(name SPLASH1 SPLASH2 BLOOD1 BLOOD2 BLOOD3 BLOOD4 BLOOD5
             PUS1 PUS2 PUS3 PUS4 PUS5)
  list(APPEND files bitmaps/${name}.bmp)
endforeach()
foreach(f IN LISTS files)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files
                  ${ASSETS}/${f} ${SCRATCH}/${f} RESULT_VARIABLE differs)
  if(NOT differs EQUAL 0)
    message(FATAL_ERROR "${f} differs from the generator's output: run "
            "tools/pictures/regenerate.sh and commit the result")
  endif()
endforeach()
