// gushmire-render's exit codes, and its PNG and GIF output, from a run in
// this process, read back with libpng and giflib.
#include "background.h"
#include "layer_headless.h"
#include "palette.h"
#include "png_io.h"
#include "render_run.h"

#include <gif_lib.h>
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

// 2 for any bad command line, 1 when an input or output file fails.
TEST(RenderProgram, ExitCodes) {
  const std::string ok = "--seed 1 --size 64x48 --steps 2 ";
  const struct {
    std::string arguments;
    int status;
  } cases[] = {
      // Unknown, sizes out of range, a GIF delay past 16 bits, a NaN scale.
      {ok + "--bogus", 2},
      {"--seed 1 --size 0x48 --steps 2", 2},
      {"--seed 1 --size 8193x8193 --steps 2", 2},
      {ok + "--gif a.gif --gif-every 6554", 2},
      {ok + "--gif a.gif --gif-scale nan", 2},
      {ok, 0},
      {"--seed 4294967295 --size 1x1 --steps 0", 0},
      {ok + "--gif /nonexistent/a.gif", 1},
      {ok + "--background /nonexistent.png", 1},
  };
  for (const auto &c : cases) {
    const int status = std::system((std::string(GUSHMIRE_RENDER_PROGRAM) + " " +
                                    c.arguments + " 2>/dev/null")
                                       .c_str());
    EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, c.status)
        << c.arguments;
  }
}

class RenderOutput : public ::testing::Test {
protected:
  void SetUp() override { std::filesystem::create_directories(directory_); }
  void TearDown() override { std::filesystem::remove_all(directory_); }
  RenderOptions Options(int width, int height, long steps) const {
    RenderOptions options;
    options.seed = 1;
    options.width = width;
    options.height = height;
    options.steps = steps;
    options.pngAt = {0, steps};
    options.pngDir = directory_;
    options.gifPath = directory_ / "run.gif";
    return options;
  }
  const std::filesystem::path directory_ =
      std::filesystem::temp_directory_path() /
      ("gushmire-render-test-" + std::to_string(::getpid()));
};

// The GIF's frames compose to the display's picture in the palette entries
// the writer chose.
TEST_F(RenderOutput, SnapshotsAndGifHoldTheDisplay) {
  RenderOptions options = Options(200, 150, 128);
  options.gifEvery = 4;
  std::string error;
  ASSERT_EQ(RunRender(options, error), 0) << error;
  const uint32_t *display = platform::FramebufferPixels();
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;
  ASSERT_TRUE(ReadPng(SnapshotPath(options.pngDir, 0), 1L << 26, width, height,
                      pixels));
  EXPECT_EQ(pixels, DesktopBackground(200, 150));
  // By step 128 the first splat has burst, so the picture changed.
  EXPECT_FALSE(std::equal(pixels.begin(), pixels.end(), display));
  ASSERT_TRUE(ReadPng(SnapshotPath(options.pngDir, 128), 1L << 26, width,
                      height, pixels));
  ASSERT_EQ(width * height, 200 * 150);
  EXPECT_TRUE(std::equal(pixels.begin(), pixels.end(), display));

  int gifError = 0;
  GifFileType *gif = DGifOpenFileName(options.gifPath.c_str(), &gifError);
  ASSERT_TRUE(gif != nullptr && DGifSlurp(gif) == GIF_OK && gif->SColorMap);
  EXPECT_EQ(gif->SWidth * gif->SHeight, 200 * 150);
  ASSERT_EQ(gif->ImageCount, 128 / 4 + 1); // steps 0, 4, ..., 128
  Palette palette;
  palette.used = gif->SColorMap->ColorCount;
  for (int i = 0; i < palette.used; ++i) {
    const GifColorType &c = gif->SColorMap->Colors[i];
    palette.colours[static_cast<std::size_t>(i)] =
        (uint32_t{c.Red} << 16) | (uint32_t{c.Green} << 8) | c.Blue;
  }
  std::vector<uint32_t> canvas(200 * 150, 0u); // each frame over the last
  for (int i = 0; i < gif->ImageCount; ++i) {
    const SavedImage &image = gif->SavedImages[i];
    const GifImageDesc &at = image.ImageDesc;
    for (int y = 0; y < at.Height; ++y) {
      for (int x = 0; x < at.Width; ++x) {
        canvas[static_cast<std::size_t>((at.Top + y) * 200 + at.Left + x)] =
            palette.colours[image.RasterBits[y * at.Width + x]];
      }
    }
  }
  PaletteIndexer indexer(palette);
  std::size_t differing = 0;
  for (std::size_t i = 0; i < canvas.size(); ++i) {
    differing += canvas[i] != palette.colours[indexer.Index(display[i])];
  }
  EXPECT_EQ(differing, 0u);
  DGifCloseFile(gif, &gifError);
}

TEST_F(RenderOutput, TinyScreens) {
  std::string error;
  for (const auto &[w, h] : {std::pair{1, 1}, {19, 5}, {40, 9}, {3, 300}}) {
    RenderOptions tiny = Options(w, h, 400);
    tiny.gifScale = 0.01;
    EXPECT_EQ(RunRender(tiny, error), 0) << w << "x" << h << " " << error;
  }
}

} // namespace
