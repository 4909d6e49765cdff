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

# The archive is reproducible: the linker writes no time stamp into the
# .scr, source paths are mapped away (top CMakeLists.txt), and pack_zip.py
# gives every entry the release date with fixed attributes.
target_link_options(gushmire PRIVATE -Wl,--no-insert-timestamp)
find_package(Python3 REQUIRED COMPONENTS Interpreter)

set(release_dir ${PROJECT_BINARY_DIR}/release)
set(release_zip
    ${PROJECT_BINARY_DIR}/gushmire-${PROJECT_VERSION}-win32.zip)
set(changelog ${PROJECT_SOURCE_DIR}/debian/changelog)
configure_file(${PROJECT_SOURCE_DIR}/assets/README-windows.txt.in
               ${release_dir}/README-windows.txt @ONLY NEWLINE_STYLE CRLF)
configure_file(${PROJECT_SOURCE_DIR}/LICENSE ${release_dir}/LICENSE.txt
               @ONLY NEWLINE_STYLE CRLF)
add_custom_command(OUTPUT ${release_zip}
  COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/cmake/pack_zip.py
          ${changelog} ${release_zip} $<TARGET_FILE:gushmire>
          ${release_dir}/README-windows.txt ${release_dir}/LICENSE.txt
  DEPENDS gushmire ${release_dir}/README-windows.txt
          ${release_dir}/LICENSE.txt ${changelog}
          ${PROJECT_SOURCE_DIR}/cmake/pack_zip.py
  COMMENT "Packing gushmire-${PROJECT_VERSION}-win32.zip"
  VERBATIM)
add_custom_target(gushmire_release ALL DEPENDS ${release_zip})
