# gushmire.scr as Windows users expect it: a version sheet and a manifest
# (DPI aware, no compatibility prompts), and a release archive with a short
# read-me made by the build.
set(GUSHMIRE_MANIFEST ${PROJECT_BINARY_DIR}/gushmire.manifest)
configure_file(${PROJECT_SOURCE_DIR}/assets/gushmire.manifest.in
               ${GUSHMIRE_MANIFEST} @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/assets/gushmire_version.rc.in
               ${PROJECT_BINARY_DIR}/gushmire_version.rc @ONLY)
set_source_files_properties(${PROJECT_BINARY_DIR}/gushmire_version.rc
  PROPERTIES OBJECT_DEPENDS ${GUSHMIRE_MANIFEST})
target_sources(gushmire PRIVATE ${PROJECT_BINARY_DIR}/gushmire_version.rc)

set(release_dir ${PROJECT_BINARY_DIR}/release)
set(release_zip
    ${PROJECT_BINARY_DIR}/gushmire-${PROJECT_VERSION}-win32.zip)
configure_file(${PROJECT_SOURCE_DIR}/assets/README-windows.txt.in
               ${release_dir}/README-windows.txt @ONLY NEWLINE_STYLE CRLF)
add_custom_command(OUTPUT ${release_zip}
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:gushmire> ${release_dir}/
  COMMAND ${CMAKE_COMMAND} -E tar cf ${release_zip} --format=zip
          gushmire.scr README-windows.txt
  WORKING_DIRECTORY ${release_dir}
  DEPENDS gushmire ${release_dir}/README-windows.txt
  COMMENT "Packing gushmire-${PROJECT_VERSION}-win32.zip"
  VERBATIM)
add_custom_target(gushmire_release ALL DEPENDS ${release_zip})
