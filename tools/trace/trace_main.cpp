// gushmire-trace: runs the animation cycle from a fresh saver window's state
// and prints the engine's state after every step, one line per step.
#include "animation.h"
#include "host_state.h"
#include "run_options.h"
#include "trace_window.h"

#include <cstdio>

namespace {

void PrintStep(long step, LONG phase) {
  std::printf("%ld %ld %ld %ld %ld %ld %ld", step, static_cast<long>(phase),
              static_cast<long>(displayMode), static_cast<long>(splatCount),
              static_cast<long>(stepCount), static_cast<long>(stepTarget),
              static_cast<long>(frameIndex));
  for (const DripRecord &drip : dripTable) {
    std::printf(" %.9g %.9g %.9g %.9g %.9g", static_cast<double>(drip.x),
                static_cast<double>(drip.y), static_cast<double>(drip.rx),
                static_cast<double>(drip.ry), static_cast<double>(drip.speed));
  }
  std::putchar('\n');
}

} // namespace

int main(int argc, char **argv) {
  const RunOptions options = TraceArgumentsOrExit(argc, argv);
  static char outputBuffer[1 << 16];
  std::setvbuf(stdout, outputBuffer, _IOFBF, sizeof outputBuffer);

  HWND window = OpenTraceWindow(options.width, options.height);
  if (window == nullptr) {
    std::fprintf(stderr, "gushmire-trace: cannot create a window\n");
    return 1;
  }
  // As a new saver window sets things up; the size comes from the command
  // line even where the real window is smaller.
  moduleInstance = GetModuleHandleA(nullptr);
  previewFlag = options.preview ? 1 : 0;
  windowDC = GetDC(window);
  screenWidth = static_cast<float>(options.width);
  screenHeight = static_cast<float>(options.height);
  SetStretchBltMode(windowDC, COLORONCOLOR);
  ReleaseDC(window, windowDC);
  SeedRandom(options.seed);
  displayMode = 1;
  animationPhase = PlaceSplat;
  splatCount = 0;

  for (long step = 1; step <= options.steps; ++step) {
    const LONG phase = animationPhase;
    AnimationStep(window);
    PrintStep(step, phase);
  }
  CloseTraceWindow(window);
  return std::fflush(stdout) == 0 ? 0 : 1;
}
