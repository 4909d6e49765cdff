#include "render_run.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "animation.h"
#include "background.h"
#include "gif_writer.h"
#include "layer_headless.h"
#include "palette.h"
#include "png_io.h"
#include "resource_picture.h"
#include "saver_session.h"

namespace {

// The colours a run can show: the background's and the bitmaps', weighted
// by how much of the screen they come to cover.
Palette RunPalette(const std::vector<uint32_t> &background, int width,
                   int height) {
  ColourWeights weights;
  AddColours(weights, background, 1.0);
  const double screen = static_cast<double>(width) * height;
  for (const char *name : pictureNames) {
    Picture picture;
    if (!LoadPictureResource(name, picture)) {
      continue;
    }
    const double area = static_cast<double>(picture.width) * picture.height;
    const bool backdrop = picture.width >= 640;
    const double covered = backdrop ? screen : screen / 36.0;
    AddColours(weights, picture.pixels, covered / area);
  }
  return BuildPalette(weights);
}

int GifSide(int side, double scale) {
  return std::max(1, static_cast<int>(std::lround(side * scale)));
}

} // namespace

std::string SnapshotPath(const std::string &directory, long step) {
  char name[32];
  std::snprintf(name, sizeof name, "step-%06ld.png", step);
  return directory + "/" + name;
}

int RunRender(const RenderOptions &options, std::string &error) {
  std::vector<uint32_t> background;
  if (!MakeBackground(options.background, options.width, options.height,
                      background, error)) {
    return 1;
  }
  GifWriter gif;
  PaletteIndexer indexer{Palette{}};
  const bool wantGif = !options.gifPath.empty();
  if (wantGif) {
    const Palette palette =
        RunPalette(background, options.width, options.height);
    indexer = PaletteIndexer(palette);
    if (!OpenGif(gif, options.gifPath, GifSide(options.width, options.gifScale),
                 GifSide(options.height, options.gifScale), palette)) {
      error = "cannot write " + options.gifPath;
      return 1;
    }
  }
  HWND window =
      OpenSaverSurface(options.width, options.height, background.data());
  if (window == nullptr) {
    CloseGif(gif);
    error = "cannot create a window";
    return 1;
  }
  StartSaverSession(window, options.seed, options.preview);
  const int delay = static_cast<int>(options.gifEvery * 10);
  auto nextPng = options.pngAt.begin();
  bool ok = true;
  for (long step = 0; ok && step <= options.steps; ++step) {
    if (step > 0) {
      AnimationStep(window);
    }
    const uint32_t *pixels = platform::FramebufferPixels();
    if (nextPng != options.pngAt.end() && *nextPng == step) {
      const std::string path = SnapshotPath(options.pngDir, step);
      ++nextPng;
      if (!WritePng(path, options.width, options.height, pixels)) {
        error = "cannot write " + path;
        ok = false;
      }
    }
    if (ok && wantGif && step % options.gifEvery == 0 &&
        !AddGifFrame(gif, indexer, pixels, options.width, options.height,
                     delay)) {
      error = "cannot write " + options.gifPath;
      ok = false;
    }
  }
  CloseSaverSurface(window);
  if (wantGif && !CloseGif(gif) && ok) {
    error = "cannot write " + options.gifPath;
    ok = false;
  }
  return ok ? 0 : 1;
}
