# Installs the native program where XScreenSaver and xsecurelock look for
# their hacks on Debian, with its man page, XScreenSaver description and
# licence. debian/ packs the same install as a .deb.
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
# The Debian package carries the licence as its copyright file instead.
option(GUSHMIRE_INSTALL_LICENSE "Install LICENSE with the documentation" ON)
if(GUSHMIRE_INSTALL_LICENSE)
  install(FILES ${PROJECT_SOURCE_DIR}/LICENSE
          DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/gushmire)
endif()
