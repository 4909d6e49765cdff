# Installs the native program where XScreenSaver and xsecurelock look for
# their hacks on Debian, with its man page and XScreenSaver description, and
# packs the same as a .deb with cpack.
include(GNUInstallDirs)

set(GUSHMIRE_HACK_DIR ${CMAKE_INSTALL_LIBEXECDIR}/xscreensaver
    CACHE STRING "Where XScreenSaver runs its hacks from (relative to the prefix)")
set(GUSHMIRE_XSCREENSAVER_CONFIG_DIR ${CMAKE_INSTALL_DATADIR}/xscreensaver/config
    CACHE STRING "Where xscreensaver-settings reads hack descriptions")

configure_file(${PROJECT_SOURCE_DIR}/docs/gushmire.1
               ${PROJECT_BINARY_DIR}/gushmire.1 @ONLY)
# Compressed, as Debian ships man pages; -n keeps the archive reproducible.
find_program(GUSHMIRE_GZIP gzip REQUIRED)
add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/gushmire.1.gz
  COMMAND ${GUSHMIRE_GZIP} -9nkf ${PROJECT_BINARY_DIR}/gushmire.1
  DEPENDS ${PROJECT_BINARY_DIR}/gushmire.1
  VERBATIM)
add_custom_target(gushmire_man ALL DEPENDS ${PROJECT_BINARY_DIR}/gushmire.1.gz)

install(TARGETS gushmire RUNTIME DESTINATION ${GUSHMIRE_HACK_DIR})

# A relative symbolic link `directory/name` to the installed program, so the
# tree can move.
function(gushmire_install_link directory name)
  file(RELATIVE_PATH target /${directory} /${GUSHMIRE_HACK_DIR}/gushmire)
  install(CODE "
    set(dir \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${directory}\")
    file(MAKE_DIRECTORY \"\${dir}\")
    file(CREATE_LINK \"${target}\" \"\${dir}/${name}\" SYMBOLIC)
    message(STATUS \"Installing: \${dir}/${name} -> ${target}\")
  ")
endfunction()
# For people who start it by hand.
gushmire_install_link(${CMAKE_INSTALL_BINDIR} gushmire)
# xsecurelock finds XSECURELOCK_SAVER=saver_gushmire among its helpers.
gushmire_install_link(${CMAKE_INSTALL_LIBEXECDIR}/xsecurelock saver_gushmire)
install(FILES ${PROJECT_BINARY_DIR}/gushmire.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/gushmire.xml
        DESTINATION ${GUSHMIRE_XSCREENSAVER_CONFIG_DIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME gushmire)
set(CPACK_PACKAGE_VENDOR "The Gushmire developers")
set(CPACK_PACKAGE_CONTACT "The Gushmire developers <gushmire@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "screen saver: splats of blood swell, burst and drip over the desktop")
set(CPACK_PACKAGE_DESCRIPTION
    "Splats of blood swell, burst and drip down over the desktop until a flood\n"
    "uncovers a full-screen backdrop and the colours switch to pus. Runs on its\n"
    "own, as an XScreenSaver hack or as an xsecurelock saver.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "xscreensaver | xsecurelock")
set(CPACK_STRIP_FILES ON)
include(CPack)
