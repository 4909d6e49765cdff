# Tests that run programs of a Windows (mingw) build under Wine, on a private
# Xvfb with a fresh Wine prefix. Active only in a native build configured
# with GUSHMIRE_WINE_BUILD_DIR pointing at the mingw build directory.
#
#   gushmire_add_wine_test(NAME <name> COMMAND <command> [<arg>...])
#
# adds a test labelled "wine" that runs <command> with DISPLAY, WINEPREFIX and
# WINEDEBUG=-all set for the shared environment (and GUSHMIRE_WINE_BUILD_DIR,
# GUSHMIRE_WINE_SCREEN). Run a Windows program with `wine <path>.exe`; the
# programs live under ${GUSHMIRE_WINE_BUILD_DIR}. The environment is a ctest
# fixture: started once before the first Wine test, stopped after the last.
# Without GUSHMIRE_WINE_BUILD_DIR the function adds nothing.

set(GUSHMIRE_WINE_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/../tests/e2e/wine)
set(GUSHMIRE_WINE_STATE ${CMAKE_BINARY_DIR}/wine-env)
# The X screen of the Wine tests: WIDTHxHEIGHTxDEPTH.
set(GUSHMIRE_WINE_SCREEN 800x600x24)

if(GUSHMIRE_WINE_BUILD_DIR AND NOT WIN32)
  add_test(NAME wine_environment_start
           COMMAND bash ${GUSHMIRE_WINE_SCRIPTS}/wine-env-start.sh
                   ${GUSHMIRE_WINE_STATE} ${GUSHMIRE_WINE_SCREEN})
  add_test(NAME wine_environment_stop
           COMMAND bash ${GUSHMIRE_WINE_SCRIPTS}/wine-env-stop.sh
                   ${GUSHMIRE_WINE_STATE})
  set_tests_properties(wine_environment_start PROPERTIES
    FIXTURES_SETUP gushmire_wine LABELS wine TIMEOUT 400)
  set_tests_properties(wine_environment_stop PROPERTIES
    FIXTURES_CLEANUP gushmire_wine LABELS wine TIMEOUT 120)
endif()

function(gushmire_add_wine_test)
  cmake_parse_arguments(PARSE_ARGV 0 wine "" "NAME" "COMMAND")
  if(NOT wine_NAME OR NOT wine_COMMAND)
    message(FATAL_ERROR "gushmire_add_wine_test needs NAME and COMMAND")
  endif()
  if(NOT GUSHMIRE_WINE_BUILD_DIR OR WIN32)
    return()
  endif()
  add_test(NAME ${wine_NAME}
           COMMAND bash ${GUSHMIRE_WINE_SCRIPTS}/wine-run.sh
                   ${GUSHMIRE_WINE_STATE} ${wine_COMMAND})
  # wine-run.sh sets DISPLAY from the running environment.
  set_tests_properties(${wine_NAME} PROPERTIES
    LABELS wine
    FIXTURES_REQUIRED gushmire_wine
    TIMEOUT 300
    ENVIRONMENT "WINEPREFIX=${GUSHMIRE_WINE_STATE}/prefix;WINEDEBUG=-all;GUSHMIRE_WINE_BUILD_DIR=${GUSHMIRE_WINE_BUILD_DIR};GUSHMIRE_WINE_SCREEN=${GUSHMIRE_WINE_SCREEN}")
endfunction()
