# Warnings as errors on our own targets (not on third-party code).
function(gushmire_warnings target)
  target_compile_options(${target} PRIVATE
    -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wno-sign-conversion
    -Wold-style-cast -Wcast-align -Wnull-dereference -Werror)
endfunction()
