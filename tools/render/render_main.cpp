// gushmire-render: plays the animation on the headless display and writes
// PNG snapshots and an animated GIF, so a person can look at it.
#include <cstdio>
#include <string>

#include "render_options.h"
#include "render_run.h"

int main(int argc, char **argv) {
  RenderOptions options;
  if (!ParseRenderArguments(argc, argv, options)) {
    std::fprintf(stderr, "%s\n", renderUsage);
    return 2;
  }
  std::string error;
  const int result = RunRender(options, error);
  if (result != 0) {
    std::fprintf(stderr, "gushmire-render: %s\n", error.c_str());
  }
  return result;
}
