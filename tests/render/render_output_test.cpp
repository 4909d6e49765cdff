// Runs the renderer in-process and reads what it wrote back with libpng and
// giflib.
#include "background.h"
#include "layer.h"
#include "palette.h"
#include "png_io.h"
#include "render_run.h"

#include <gif_lib.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

class RenderOutput : public ::testing::Test {
protected:
  void SetUp() override {
    directory_ = std::filesystem::temp_directory_path() /
                 ("gushmire-render-test-" + std::to_string(::getpid()));
    std::filesystem::create_directories(directory_);
  }
  void TearDown() override { std::filesystem::remove_all(directory_); }
  std::string Path(const char *name) const { return directory_ / name; }

  std::filesystem::path directory_;
};

RenderOptions Options(int width, int height, long steps) {
  RenderOptions options;
  options.seed = 1;
  options.width = width;
  options.height = height;
  options.steps = steps;
  return options;
}

// Every frame of `path` drawn over the one before, as palette colours.
std::vector<std::vector<uint32_t>> ComposedFrames(const std::string &path,
                                                  GifFileType *&gif) {
  int error = 0;
  gif = DGifOpenFileName(path.c_str(), &error);
  std::vector<std::vector<uint32_t>> frames;
  if (gif == nullptr || DGifSlurp(gif) != GIF_OK || gif->SColorMap == nullptr) {
    return frames;
  }
  std::vector<uint32_t> canvas(
      static_cast<std::size_t>(gif->SWidth * gif->SHeight), 0u);
  for (int i = 0; i < gif->ImageCount; ++i) {
    const SavedImage &image = gif->SavedImages[i];
    const GifImageDesc &at = image.ImageDesc;
    for (int y = 0; y < at.Height; ++y) {
      for (int x = 0; x < at.Width; ++x) {
        const GifColorType colour =
            gif->SColorMap->Colors[image.RasterBits[y * at.Width + x]];
        canvas[static_cast<std::size_t>((at.Top + y) * gif->SWidth + at.Left +
                                        x)] = (uint32_t{colour.Red} << 16) |
                                              (uint32_t{colour.Green} << 8) |
                                              colour.Blue;
      }
    }
    frames.push_back(canvas);
  }
  return frames;
}

TEST_F(RenderOutput, SnapshotsHoldTheDisplayAtTheirSteps) {
  RenderOptions options = Options(320, 240, 150);
  options.pngAt = {0, 150};
  options.pngDir = directory_;
  std::string error;
  ASSERT_EQ(RunRender(options, error), 0) << error;

  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;
  ASSERT_TRUE(ReadPng(SnapshotPath(options.pngDir, 150), 1L << 26, width,
                      height, pixels));
  ASSERT_EQ(width, 320);
  ASSERT_EQ(height, 240);
  const uint32_t *display = platform::DisplayPixels();
  EXPECT_TRUE(std::equal(pixels.begin(), pixels.end(), display));

  ASSERT_TRUE(ReadPng(SnapshotPath(options.pngDir, 0), 1L << 26, width, height,
                      pixels));
  EXPECT_EQ(pixels, DesktopBackground(320, 240));
  // By step 150 the first splat has burst, so the picture changed.
  EXPECT_FALSE(std::equal(pixels.begin(), pixels.end(), display));
}

TEST_F(RenderOutput, GifHasOneFramePerShownStepAndItsDelay) {
  RenderOptions options = Options(200, 150, 130);
  options.gifPath = Path("run.gif");
  options.gifEvery = 4;
  options.background = "black";
  std::string error;
  ASSERT_EQ(RunRender(options, error), 0) << error;

  GifFileType *gif = nullptr;
  const auto frames = ComposedFrames(options.gifPath, gif);
  ASSERT_NE(gif, nullptr);
  EXPECT_EQ(gif->SWidth, 200);
  EXPECT_EQ(gif->SHeight, 150);
  ASSERT_EQ(gif->ImageCount, 130 / 4 + 1); // steps 0, 4, ..., 128
  for (int i = 0; i < gif->ImageCount; ++i) {
    GraphicsControlBlock control = {};
    ASSERT_EQ(DGifSavedExtensionToGCB(gif, i, &control), GIF_OK);
    EXPECT_EQ(control.DelayTime, 40);
  }
  // The composed frames show the display's picture after step 128, each
  // pixel in the palette entry the writer chose for its colour.
  ASSERT_FALSE(frames.empty());
  EXPECT_EQ(frames.front(), std::vector<uint32_t>(200 * 150, 0u));
  Palette palette;
  palette.used = gif->SColorMap->ColorCount;
  for (int i = 0; i < palette.used; ++i) {
    const GifColorType &c = gif->SColorMap->Colors[i];
    palette.colours[static_cast<std::size_t>(i)] =
        (uint32_t{c.Red} << 16) | (uint32_t{c.Green} << 8) | c.Blue;
  }
  PaletteIndexer indexer(palette);
  RenderOptions replay = Options(200, 150, 128);
  replay.background = "black";
  ASSERT_EQ(RunRender(replay, error), 0) << error;
  const uint32_t *display = platform::DisplayPixels();
  std::size_t differing = 0;
  for (std::size_t i = 0; i < frames.back().size(); ++i) {
    differing += frames.back()[i] != palette.colours[indexer.Index(display[i])];
  }
  EXPECT_EQ(differing, 0u);
  int error2 = 0;
  DGifCloseFile(gif, &error2);
}

// Sizes below the cycle's limits still run and write their files.
TEST_F(RenderOutput, TinyScreens) {
  std::string error;
  for (const auto &[w, h] : {std::pair{1, 1}, {19, 5}, {40, 9}, {3, 300}}) {
    RenderOptions tiny = Options(w, h, 400);
    tiny.gifPath = Path("tiny.gif");
    tiny.gifScale = 0.01;
    tiny.pngAt = {400};
    tiny.pngDir = directory_;
    EXPECT_EQ(RunRender(tiny, error), 0) << w << "x" << h << " " << error;
  }
}

} // namespace
