# Client code for Wayland protocol descriptions, made with wayland-scanner
# into the build tree.
#
#   gushmire_wayland_protocol(<target> <xml> [DEPENDS <targets>...])
#
# makes the static library <target> from <xml>'s private code; linking it
# gives "<name>-client-protocol.h" on the include path and libwayland-client.
# <xml> is an absolute path, a file of ours in platform/backends/wayland/protocols,
# or a path under Debian's wayland-protocols ("stable/xdg-shell/xdg-shell.xml").
# DEPENDS names the protocol libraries whose interfaces <xml> refers to (the
# layer shell's get_popup takes an xdg_popup, so it needs xdg-shell).
#
#   gushmire_wayland_server_protocol(<target> <xml> [DEPENDS <targets>...])
#
# is the same for a compositor's side (the tests' own hosts): it gives
# "<name>-server-protocol.h" and links libwayland-server. DEPENDS names
# server variants. A program links either kind, never both: each carries
# the interfaces' tables.
#
# Sets GUSHMIRE_WAYLAND_FOUND when libwayland-client, wayland-scanner and
# wayland-protocols are there, GUSHMIRE_WAYLAND_MISSING to what is not;
# without them the functions must not be called. GUSHMIRE_WAYLAND_SERVER_FOUND
# says whether libwayland-server is there too.
include_guard(GLOBAL)

set(GUSHMIRE_OWN_WAYLAND_PROTOCOLS
    ${CMAKE_CURRENT_LIST_DIR}/../platform/backends/wayland/protocols)
cmake_path(NORMAL_PATH GUSHMIRE_OWN_WAYLAND_PROTOCOLS)

find_package(PkgConfig QUIET)
if(PKG_CONFIG_FOUND)
  pkg_check_modules(GUSHMIRE_WAYLAND_CLIENT QUIET IMPORTED_TARGET
                    wayland-client)
  # GLOBAL: the tests' directories make server variants too.
  pkg_check_modules(GUSHMIRE_WAYLAND_SERVER QUIET IMPORTED_TARGET GLOBAL
                    wayland-server)
  pkg_get_variable(_gushmire_scanner_hint wayland-scanner wayland_scanner)
  pkg_get_variable(GUSHMIRE_WAYLAND_PROTOCOLS_DIR wayland-protocols pkgdatadir)
endif()
if(NOT GUSHMIRE_WAYLAND_PROTOCOLS_DIR)
  set(GUSHMIRE_WAYLAND_PROTOCOLS_DIR /usr/share/wayland-protocols)
endif()
if(_gushmire_scanner_hint)
  get_filename_component(_gushmire_scanner_dir ${_gushmire_scanner_hint}
                         DIRECTORY)
endif()
find_program(GUSHMIRE_WAYLAND_SCANNER wayland-scanner
             HINTS ${_gushmire_scanner_dir})

set(GUSHMIRE_WAYLAND_MISSING)
if(NOT PKG_CONFIG_FOUND)
  list(APPEND GUSHMIRE_WAYLAND_MISSING pkg-config)
elseif(NOT GUSHMIRE_WAYLAND_CLIENT_FOUND)
  list(APPEND GUSHMIRE_WAYLAND_MISSING wayland-client.pc)
endif()
if(NOT GUSHMIRE_WAYLAND_SCANNER)
  list(APPEND GUSHMIRE_WAYLAND_MISSING wayland-scanner)
endif()
if(NOT EXISTS ${GUSHMIRE_WAYLAND_PROTOCOLS_DIR}/stable/xdg-shell/xdg-shell.xml)
  list(APPEND GUSHMIRE_WAYLAND_MISSING wayland-protocols)
endif()
if(GUSHMIRE_WAYLAND_MISSING)
  set(GUSHMIRE_WAYLAND_FOUND FALSE)
else()
  set(GUSHMIRE_WAYLAND_FOUND TRUE)
endif()
if(GUSHMIRE_WAYLAND_FOUND AND GUSHMIRE_WAYLAND_SERVER_FOUND)
  set(GUSHMIRE_WAYLAND_SERVER_FOUND TRUE)
else()
  set(GUSHMIRE_WAYLAND_SERVER_FOUND FALSE)
endif()
# The guard above runs this once a configure, but every directory that
# includes it needs the results.
foreach(variable GUSHMIRE_WAYLAND_FOUND GUSHMIRE_WAYLAND_MISSING
                 GUSHMIRE_WAYLAND_SERVER_FOUND
                 GUSHMIRE_OWN_WAYLAND_PROTOCOLS GUSHMIRE_WAYLAND_PROTOCOLS_DIR)
  set(${variable} ${${variable}} CACHE INTERNAL "")
endforeach()

function(gushmire_wayland_protocol target xml)
  cmake_parse_arguments(PARSE_ARGV 2 ARG "" "" "DEPENDS")
  _gushmire_wayland_protocol(${target} ${xml} client
    PkgConfig::GUSHMIRE_WAYLAND_CLIENT "${ARG_DEPENDS}")
endfunction()

function(gushmire_wayland_server_protocol target xml)
  cmake_parse_arguments(PARSE_ARGV 2 ARG "" "" "DEPENDS")
  if(NOT GUSHMIRE_WAYLAND_SERVER_FOUND)
    message(FATAL_ERROR "gushmire_wayland_server_protocol(${target}) needs "
            "libwayland-server")
  endif()
  _gushmire_wayland_protocol(${target} ${xml} server
    PkgConfig::GUSHMIRE_WAYLAND_SERVER "${ARG_DEPENDS}")
endfunction()

# side: client or server; library: the libwayland target to link.
function(_gushmire_wayland_protocol target xml side library depends)
  if(NOT GUSHMIRE_WAYLAND_FOUND)
    message(FATAL_ERROR "gushmire_wayland_protocol(${target}) needs "
            "libwayland-client and wayland-scanner")
  endif()
  if(IS_ABSOLUTE ${xml})
    set(path ${xml})
  elseif(EXISTS ${GUSHMIRE_OWN_WAYLAND_PROTOCOLS}/${xml})
    set(path ${GUSHMIRE_OWN_WAYLAND_PROTOCOLS}/${xml})
  else()
    set(path ${GUSHMIRE_WAYLAND_PROTOCOLS_DIR}/${xml})
  endif()
  if(NOT EXISTS ${path})
    message(FATAL_ERROR "Wayland protocol ${xml} not found (looked in "
            "${GUSHMIRE_OWN_WAYLAND_PROTOCOLS} and "
            "${GUSHMIRE_WAYLAND_PROTOCOLS_DIR})")
  endif()

  get_filename_component(name ${path} NAME_WE)
  # One folder per target: two targets may generate from the same file.
  set(dir ${CMAKE_BINARY_DIR}/wayland-protocols/${target})
  set(header ${dir}/${name}-${side}-protocol.h)
  set(code ${dir}/${name}-protocol.c)
  # --strict checks the file against the scanner's DTD, so a malformed
  # description fails the build instead of generating odd code.
  add_custom_command(
    OUTPUT ${header} ${code}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
    COMMAND ${GUSHMIRE_WAYLAND_SCANNER} --strict ${side}-header ${path} ${header}
    COMMAND ${GUSHMIRE_WAYLAND_SCANNER} --strict private-code ${path} ${code}
    DEPENDS ${path} ${GUSHMIRE_WAYLAND_SCANNER}
    COMMENT "wayland-scanner ${name}"
    VERBATIM)

  add_library(${target} STATIC ${code} ${header})
  set_target_properties(${target} PROPERTIES LINKER_LANGUAGE C
                                             POSITION_INDEPENDENT_CODE ON)
  # SYSTEM: the generated inline wrappers use C casts, which our C++ warning
  # set would reject in code that includes them.
  target_include_directories(${target} SYSTEM PUBLIC ${dir})
  target_link_libraries(${target} PUBLIC ${library} ${depends})
endfunction()
